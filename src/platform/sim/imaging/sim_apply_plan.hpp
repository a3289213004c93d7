#pragma once
// What an image apply on the simulated machine will write, entry by entry, and the first entry
// that the target volume cannot take. Windows writes an image file by file and fails at the
// first file it cannot write, leaving what came before; the sim decides that point before
// wimlib writes anything, so that a volume never holds more than its size.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct WIMStruct;

namespace halvora::sim {

struct PlannedEntry {
    std::string wimPath;         // as wimlib names it: "/Windows/System32/a.dll"
    std::wstring windowsPath;    // where the program sees it: "E:\Windows\System32\a.dll"
    std::filesystem::path host;  // where it lands on the host
    std::uint64_t bytes = 0;     // its data (the unnamed stream); 0 for folders and links
    bool folder = false;
    bool dataMissing = false;  // its data is in a part of a split set that was not referenced
};

struct ApplyPlan {
    std::vector<PlannedEntry> entries;  // in the image's directory order, the root left out
    std::uint64_t bytes = 0;            // all entries' data together
};

// Lists image `index` of `wim` for an apply to `windowsRoot` ("E:\" or "E:\Folder\", with the
// trailing backslash) whose folder on the host is `hostRoot`. 0 or the Windows error of an image
// whose metadata cannot be read. The caller holds the WIM's lock.
std::uint32_t planApply(WIMStruct* wim, std::uint32_t index, const std::wstring& windowsRoot,
                        const std::filesystem::path& hostRoot, ApplyPlan& plan);

// What the target volume allows.
struct VolumeRoom {
    std::uint64_t freeBytes = 0;
    bool writeProtected = false;                             // a CD-ROM: nothing can be written
    std::function<bool(const std::wstring& path)> readOnly;  // the machine's read-only paths
    // Where the folder of the target's drive leads on the host (see hostLocation): nothing is
    // written through a host link that leads out of it.
    std::filesystem::path driveFolder;
    // Whether a file at this place (as hostLocation gives it) is held open by someone.
    std::function<bool(const std::filesystem::path& location)> heldOpen;
};

struct Refusal {
    std::size_t entry;    // index into the plan's entries
    std::uint32_t error;  // the Windows error the file gets
};

// The first entry, in order, that cannot be written: data missing (2), a place that a host link
// leads out of the drive's folder (3, as a path that goes nowhere on the machine),
// write-protected medium (19), under a read-only path (19), a file in the place of one held open
// (32), or not fitting in what is left free (112). A file that replaces one already there needs
// only what it adds.
std::optional<Refusal> firstRefusal(const ApplyPlan& plan, const VolumeRoom& room);

}  // namespace halvora::sim
