#pragma once
// The machine's drive letters and DOS device names: which letters are in use, which is free for
// an ESP, which volume devices exist, and the way between a drive and its NT device name.

#include <string>
#include <vector>

#include "platform/system.hpp"

namespace halvora {

// The buffer given to QueryDosDeviceW for the target of one name.
inline constexpr std::size_t kDeviceNameCharacters = 260;

// "C:\", "D:\", ... as GetLogicalDriveStringsW lists them (a buffer of 260 characters, read as
// 4-character entries).
std::vector<std::wstring> logicalDriveRoots(System& system);

// True when some drive lies on that disk and partition.
bool hasDriveLetter(System& system, std::uint32_t disk, std::uint32_t partition);

// The first letter from P to Z that is neither in use nor defined ("R:"), or empty.
std::wstring findFreeDriveLetter(System& system);

// The DOS device names made of `prefix` and digits only, in the platform's order.
std::vector<std::wstring> listVolumeDevices(System& system, const std::wstring& prefix);

// The NT device name of a drive or volume path ("C:\" → "\Device\HarddiskVolume3"), or empty.
std::wstring volumeDevicePath(System& system, const std::wstring& path);

// The first drive root whose device is `device` exactly, or empty.
std::wstring driveRootOfDevice(System& system, const std::wstring& device);

}  // namespace halvora
