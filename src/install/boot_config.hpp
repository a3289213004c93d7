#pragma once
// Writing the boot files and boot configuration of the installed Windows with Bcdboot.exe, on
// its own worker, and the checks of the boot repair command.

#include <string>

#include "install/installation_request.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// BootConfigDone's event types (wparam); lparam carries the reason or the exit code.
inline constexpr std::uint64_t kBootNotRun = 0x40000;
inline constexpr std::uint64_t kBootRan = 0x40001;

// What the boot configuration is made from, taken from the request before the worker starts.
struct BootJob {
    std::wstring target;            // "E:"; the installed Windows is E:\Windows
    std::wstring boot;              // the /s volume; empty: no boot configuration
    std::wstring locale;            // /l, used when longer than 3 characters
    std::wstring firmware;          // /f, used when longer than 2 characters
    bool keepDefaultEntry = false;  // /d
    bool repair = false;
};

BootJob bootJobFor(const InstallationRequest& request);
BootJob bootJobFor(const BootRepairRequest& request);

// Bcdboot's arguments for the job: "E:\Windows /l ko-KR /s S: /f UEFI".
std::wstring bcdbootArguments(const BootJob& job);

// Whether the job starts from an empty BIOS store in place of one an earlier Windows left on
// the install volume (when there is one there): only an installation, not a repair, whose BIOS
// boot files go onto the install volume itself and that keeps no earlier entries.
bool replacesOldBiosStore(const BootJob& job);

// Starts the boot worker for `job`; false (with the platform's error in `error`) when it cannot
// start.
bool startBootWorker(Program& program, const BootJob& job, std::uint32_t& error);

// The summary line for BootConfigDone's type and code ("BCDBOOT 성공.", "*부팅 위치 생략.", ...).
std::wstring bootResultText(std::uint64_t type, std::int64_t code);

// The boot repair command's checks and confirmation.
bool checkBootRepair(Program& program, const BootRepairRequest& request);

// The boot repair's refusal (the status text), empty when it may go on. `bootExists` is whether
// the boot location's folder exists, `windowsBootExists` whether T:\Windows\Boot does.
std::wstring bootRepairRefusal(const BootRepairRequest& request, bool bootExists, bool windowsBootExists);

// Whether the repair writes to the disk of the running system (the confirmation then warns).
bool repairsRunningSystemDisk(const BootRepairRequest& request, const std::wstring& systemDrive);

}  // namespace halvora
