#include "platform/sim/disks/sim_volume_space.hpp"

#include "platform/sim/real/sim_real_volume.hpp"

namespace halvora::sim {

std::uint64_t freeBytes(const DeviceInfo& device) {
    if (device.kind == DeviceKind::CdRom || device.folder.empty()) return 0;
    // A real volume's file system knows.
    if (device.partition && device.partition->realVolume) return device.partition->realVolume->freeBytes();
    const std::uint64_t used = folderUsage(device.folder);
    return used >= device.size ? 0 : device.size - used;
}

}  // namespace halvora::sim
