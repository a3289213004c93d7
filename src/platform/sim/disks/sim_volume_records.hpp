#pragma once
// The records a simulated volume answers DeviceIoControl with, laid out byte for byte as
// Windows lays them out (winioctl.h, x86 and x64 alike).

#include <cstdint>
#include <vector>

#include "platform/sim/disks/sim_devices.hpp"

namespace halvora::sim {

// STORAGE_DEVICE_NUMBER (12 bytes): DeviceType 7 (FILE_DEVICE_DISK), DeviceNumber, PartitionNumber.
std::vector<std::uint8_t> deviceNumberRecord(const DeviceInfo& volume);

// PARTITION_INFORMATION_EX (144 bytes).
std::vector<std::uint8_t> partitionInfoRecord(const DeviceInfo& volume);

// STORAGE_DEVICE_DESCRIPTOR (40 bytes) followed by the zero-terminated vendor and product texts
// its offsets point to. A CD-ROM answers one of its own.
std::vector<std::uint8_t> deviceDescriptorRecord(const DeviceInfo& device);

}  // namespace halvora::sim
