#pragma once
// What a simulated machine is: its Windows version, environment, drives, fonts and the files
// with version resources. Read once from a JSON description; every field has a default that
// describes an ordinary Korean Windows 10 machine.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/disks/sim_disk_description.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_platform_calls.hpp"
#include "platform/system.hpp"
#include "platform/toolkit.hpp"

namespace halvora::sim {

struct VersionResource {
    // Language and code page pairs of "\VarFileInfo\Translation"; nullopt when the resource has
    // no translation table.
    std::optional<std::vector<std::uint16_t>> translation;
    std::map<std::wstring, std::wstring> strings;  // StringFileInfo entries of its first table
    std::wstring languageName;                     // VerLanguageNameW of its first language
};

// The boot tool, Bcdboot.exe, of the machine's System32 (the file must be there too).
struct BootToolDescription {
    bool present = true;                    // false: no such program (a start fails with 2)
    std::optional<std::uint32_t> exitCode;  // set: it writes nothing and exits with this code
};

struct MachineDescription {
    OsVersion windowsVersion{10, 0, 19041};
    bool ntdllMissing = false;
    // Folded variable name -> value. Names compare without case, as in the environment block.
    std::map<std::wstring, std::wstring> environment;
    std::wstring tempPath = L"C:\\Temp\\";
    std::wstring programPath = L"C:\\Halvora\\halvora.exe";
    std::wstring systemDirectory = L"C:\\Windows\\System32";
    std::wstring localeName = L"ko-KR";
    std::vector<std::wstring> arguments;
    DriveFolders drives;         // plain folders: fixed drives on no disk
    StorageDescription storage;  // disks, CD-ROMs, network and RAM drives
    std::vector<WindowsPath> readOnly;
    // Keyed by versionResourceKey(path).
    std::map<std::wstring, VersionResource> versionResources;
    bool versionDllMissing = false;
    bool virtDisk = true;  // false: VirtDisk.dll cannot be loaded, whatever System32 holds
    std::vector<std::wstring> fonts;
    std::optional<FontSpec> smallCaptionFont = FontSpec{L"Segoe UI", -12};
    FontSpec guiFont{L"MS Shell Dlg", -11};
    int dpi = 96;
    bool taskbarMissing = false;         // no ITaskbarList3 (as in WinPE)
    std::uint32_t threadStartError = 0;  // not 0: every CreateThread fails with this error code
    // Virtual milliseconds after an ISO is attached before the mount manager gives it its
    // drive letter; 0 gives it at once.
    std::uint64_t isoLetterDelay = 0;
    BootToolDescription bcdboot;
    // Platform calls that fail: the nth call of a Windows function, with an error.
    std::vector<CallFailure> failCalls;
};

// The parts of a description read by nlohmann-json's get<T>(). A value of the wrong shape
// throws, naming its JSON path (sim_json.hpp); folders stay as written.
void from_json(const nlohmann::json& value, VersionResource& resource);
void from_json(const nlohmann::json& value, BootToolDescription& tool);
void from_json(const nlohmann::json& value, MachineDescription& description);

// Reads a description. Drive folders given as relative paths are taken relative to
// `baseFolder`. Returns nullopt with `error` naming the JSON path of the first value it refuses
// and why ("machine description: /disks/0/partitions/1/size: must be a whole number ..."); it
// throws nothing.
std::optional<MachineDescription> parseMachineDescription(const nlohmann::json& json,
                                                          const std::filesystem::path& baseFolder, std::string& error);

// The case-insensitive key of a Windows path in the version resource table; empty when the
// path does not parse.
std::wstring versionResourceKey(const std::wstring& path);

}  // namespace halvora::sim
