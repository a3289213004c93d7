#pragma once
// Which disk and partition a volume lies on, what kind of partition it is and what carries it:
// each asked of the volume itself.

#include <string>

#include "disks/volume_records.hpp"
#include "platform/system.hpp"

namespace halvora {

// The path as the volume is opened: "C:\" and "C:" become "\\.\C:", "\Device\X" becomes
// "\\.\X", a volume name loses its final backslash.
std::wstring normaliseVolumePath(const std::wstring& path);

// Each opens the volume (no access, shared reading and writing), asks once and closes it; false
// when it cannot be opened or the request fails, the record then left zeroed.
bool getDeviceNumber(System& system, const std::wstring& path, DeviceNumber& number);
bool getPartitionInfo(System& system, const std::wstring& path, PartitionInfo& info);
bool getDeviceDescriptor(System& system, const std::wstring& path, DeviceDescriptor& descriptor);

}  // namespace halvora
