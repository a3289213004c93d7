#pragma once
// Whether a real disk named by a machine description may be used at all. Everything on the
// partitions it installs onto is replaced, so a disk is refused when anything of the running
// host lives on it or uses it.

#include <filesystem>
#include <string>

namespace halvora::sim {

// Empty when the block device may be used; otherwise why not ("/dev/sdb: partition /dev/sdb1
// is mounted at /media/usb"). Refused: not a block device, a partition rather than a whole
// disk, the disk of the running system or of this program's own files, a disk with a mounted
// partition, one used for swap, or one held by another driver (device mapper, RAID).
std::string deviceRefusal(const std::filesystem::path& device);

// Empty when the disk image may be used; otherwise why not: not a regular file, not writable,
// or already in use through a loop device.
std::string imageRefusal(const std::filesystem::path& image);

}  // namespace halvora::sim
