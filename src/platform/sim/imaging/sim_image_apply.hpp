#pragma once
// WIMApplyImage on the simulated machine: wimlib writes a loaded image into the target's host
// folder, while the apply sends wimgapi's messages on the calling thread: progress as the data
// is written, and an error message naming the file that could not be written.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/sim/imaging/sim_apply_plan.hpp"

namespace halvora::sim {
class RealVolume;  // real/sim_real_volume.hpp
}

namespace halvora::sim {

class WimFile;

// Sends one message to the callbacks and gives back what they answered (kWimMsgAbortImage to
// stop).
using ApplyNotify = std::function<std::uint32_t(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

struct ApplyTarget {
    std::wstring windowsRoot;        // "E:\" or "E:\Folder\": where the program sees the files
    std::filesystem::path hostRoot;  // the folder they land in
    VolumeRoom room;
    // Set when the target is the root of an NTFS volume of a real disk.
    std::shared_ptr<RealVolume> ntfsVolume;
};

// Applies image `index` (1-based) of `file`, with the parts of a split set that were referenced.
// Returns 0 or the Windows error the apply fails with: 1235 when a callback aborted it, the
// error of the first file that could not be written (after an error message naming it), or the
// error of an image that cannot be read. Holds the file's lock while it runs.
std::uint32_t applyWimImage(WimFile& file, std::uint32_t index, const ApplyTarget& target, const ApplyNotify& notify);

}  // namespace halvora::sim
