#pragma once
// How full a simulated volume is. A volume holds what its host folder holds; its size comes
// from the machine description, so free space falls as files are written and a volume fills up.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/sim/disks/sim_devices.hpp"
#include "platform/sim/files/sim_folder_usage.hpp"

namespace halvora::sim {

// The bytes still free on the device: its size less what its folder holds, never below 0.
// A CD-ROM has none.
std::uint64_t freeBytes(const DeviceInfo& device);

}  // namespace halvora::sim
