#include "platform/sim/disks/sim_volume_space.hpp"

namespace halvora::sim {

std::uint64_t freeBytes(const DeviceInfo& device) {
    if (device.kind == DeviceKind::CdRom || device.folder.empty()) return 0;
    const std::uint64_t used = folderUsage(device.folder);
    return used >= device.size ? 0 : device.size - used;
}

}  // namespace halvora::sim
