#pragma once
// One partition of a real disk as a volume of the simulated machine. Its bytes are reached
// only through a loop device bounded to the partition; its files through a host folder: an
// ntfs-3g mount for NTFS, a mirror kept with mtools for FAT. A partition with no file system
// the sim knows has no files until it is formatted.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sim/real/sim_fat_mirror.hpp"
#include "platform/sim/real/sim_loop_device.hpp"
#include "platform/sim/real/sim_ntfs_mount.hpp"
#include "platform/sim/real/sim_partition_table.hpp"

namespace halvora::sim {

class RealVolume {
public:
    // Makes the partition's loop device and its files reachable in `folder` (not yet made).
    static std::unique_ptr<RealVolume> open(const std::filesystem::path& disk, const RealPartition& partition,
                                            const std::filesystem::path& folder, std::string& error);
    ~RealVolume();
    RealVolume(const RealVolume&) = delete;
    RealVolume& operator=(const RealVolume&) = delete;

    const std::string& device() const { return loop_->path(); }
    const std::filesystem::path& folder() const { return folder_; }
    std::uint64_t offset() const { return offset_; }
    bool isNtfs() const;

    // The file system's free bytes; the last ones known while the volume is taken off.
    std::uint64_t freeBytes() const;

    // wimlib's NTFS mode writes to the partition itself, which must not be mounted meanwhile.
    // While the returned object lives the folder is empty and the device is free; when it goes
    // the volume is mounted again. Nullptr with `error` when it cannot be taken off.
    class Offline {
    public:
        explicit Offline(RealVolume& volume) : volume_(volume) {}
        ~Offline();
        Offline(const Offline&) = delete;
        Offline& operator=(const Offline&) = delete;

    private:
        RealVolume& volume_;
    };
    std::unique_ptr<Offline> takeOffline(std::string& error);

    // Formats the partition (NTFS with mkntfs --quick, FAT32 with mkfs.fat) with `label`, then
    // makes its files reachable again. False with `error`.
    bool format(const std::wstring& fileSystem, const std::wstring& label, std::string& error);

    // A FAT mirror writes back what changed; NTFS needs nothing.
    bool flush(std::string& error);

    // Writes back (unless told not to), unmounts; the loop device goes with the object.
    void close(bool writeBack = true);

private:
    RealVolume(std::unique_ptr<LoopDevice> loop, std::filesystem::path folder, std::uint64_t offset,
               std::wstring fileSystem)
        : loop_(std::move(loop)), folder_(std::move(folder)), offset_(offset), fileSystem_(std::move(fileSystem)) {}
    bool bringOnline(std::string& error);  // with mutex_ held
    void takeDown();                       // with mutex_ held
    std::uint64_t freeBytesLocked() const;

    mutable std::mutex mutex_;
    std::unique_ptr<LoopDevice> loop_;
    std::filesystem::path folder_;
    std::uint64_t offset_;
    std::wstring fileSystem_;
    std::unique_ptr<NtfsMount> mount_;
    std::unique_ptr<FatMirror> mirror_;
    mutable std::uint64_t lastFree_ = 0;
    bool closed_ = false;
};

}  // namespace halvora::sim
