#pragma once
// What an installation or a boot repair is asked to do, read from the main window once when it
// starts. The checks, the apply, the boot configuration and the completion all work from these
// values, so their decisions can be tested without a window.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// One of the chosen drive rows (TargetRow or BootRow), as far as the installation uses it.
struct ChosenVolume {
    std::wstring drive;     // "E:"; empty when none is chosen
    std::wstring disk;      // the disk number, as the row shows it
    std::wstring style;     // "MBR", "GPT", "RAW"
    std::wstring bootType;  // "ACT", "ESP" or empty
    long long freeBytes = 0;
    std::wstring driveType;  // GetDriveTypeW, as text ("2" removable)
    std::wstring bus;        // STORAGE_BUS_TYPE, as text ("7" USB)
};

// How Bcdboot is to write the boot configuration.
struct BootSettings {
    std::wstring locale;    // the locale list's chosen entry
    std::wstring firmware;  // the firmware list's chosen entry: "ALL", "BIOS", "UEFI"
    bool keepBootEntries = false;
};

// The options menu, as far as one installation uses it.
struct InstallOptions {
    bool verify = false;
    bool compact = false;
    bool wimBoot = false;
    bool checkIntegrity = false;  // "Check": the image file's integrity table is checked
    bool imagingLog = false;      // "Log": the imaging library writes its log while the image is open
};

struct InstallationRequest {
    std::wstring imageFile;
    std::wstring indexText;    // as the index field shows it; the summary repeats it
    long long index = 0;       // 1-based; 0 or less when none is chosen
    long long imageBytes = 0;  // the chosen image's size from the image list
    ChosenVolume target;
    ChosenVolume boot;
    BootSettings bootSettings;
    InstallOptions options;
    std::wstring oemFolder;   // the folder that holds $$, $1 and $Progs; empty for none
    std::wstring answerFile;  // empty for none
    bool automatic = false;   // started by the command line: the confirmation counts down
};

struct BootRepairRequest {
    ChosenVolume target;
    ChosenVolume boot;
    BootSettings bootSettings;
    // The options menu's "Log": a repair ends as an apply does, stopping the imaging log.
    bool imagingLog = false;
};

// The widget reads: everything an installation (or a boot repair) needs, from the window as it
// is now.
InstallationRequest readInstallationRequest(Program& program, bool automatic);
BootRepairRequest readBootRepairRequest(Program& program);
ChosenVolume readChosenVolume(Program& program, const ControlName& oneRow);

// The request of the installation or boot repair under way, kept in the program between the
// steps that the workers' events set going; null when there is none of that kind.
void keepRequest(Program& program, InstallationRequest request);
void keepRequest(Program& program, BootRepairRequest request);
const InstallationRequest* keptInstallation(const Program& program);
const BootRepairRequest* keptBootRepair(const Program& program);

}  // namespace halvora
