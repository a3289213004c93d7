#pragma once
// A loop device over one partition of a real disk: the bytes from `offset` for `size` of a disk
// image file or a block device, and nothing outside them, so whatever writes through it (wimlib,
// mkntfs, ntfs-3g) cannot touch the rest of the disk. It is made with the kernel's auto-clear
// flag and held open by this object: the kernel takes it away when its last user closes it, so
// it goes even when the run ends on a signal that nothing can handle.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace halvora::sim {

class LoopDevice {
public:
    // Nullptr with `error` set when no loop device could be made.
    static std::unique_ptr<LoopDevice> attach(const std::filesystem::path& backing, std::uint64_t offset,
                                              std::uint64_t size, std::string& error);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& path() const { return path_; }  // "/dev/loop7"

    // Writes what other programs left in the device's cache through to the disk. A program
    // that closes the device while this object still holds it open leaves its writes cached:
    // only the last close flushes, and a detach does not.
    bool flush();

private:
    LoopDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// The loop devices whose backing file is `file` (compared as the same file), as "/dev/loopN".
std::vector<std::string> loopDevicesOver(const std::filesystem::path& file);

}  // namespace halvora::sim
