#pragma once
// A write lock on a whole real disk (its image file or its device node), held while the run
// uses it. Disk tools and virtual machines (QEMU) lock the images they use: a disk one of them
// holds is in use and refused, and one this run holds is refused to them.

#include <filesystem>
#include <memory>
#include <string>

namespace halvora::sim {

class DiskLock {
public:
    // Nullptr with `error` when another program holds a lock on the disk or it cannot be opened.
    static std::unique_ptr<DiskLock> take(const std::filesystem::path& disk, std::string& error);
    ~DiskLock();
    DiskLock(const DiskLock&) = delete;
    DiskLock& operator=(const DiskLock&) = delete;

private:
    explicit DiskLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace halvora::sim
