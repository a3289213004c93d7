#pragma once
// The real disks of a machine description: raw disk images and block devices of the host. When
// the machine starts, each is checked (sim_real_disk_safety.hpp), its partitions are read from
// its table with the letters the description gives them, and every partition with a file system
// gets a loop device and a host folder in a private folder of the run. When the run ends (also
// on a signal the runner catches) every mount and loop device made here goes.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/disks/sim_disk_description.hpp"

namespace halvora::sim {

class DiskLock;
class RealVolume;

class RealDisks {
public:
    // Fills in the partitions of every real disk of `storage`. Nullptr with `error` (the runner
    // ends with 64) when a disk is refused or unreadable, or a letter names no partition.
    // Returns an empty set when `storage` has no real disk.
    static std::unique_ptr<RealDisks> open(StorageDescription& storage, std::string& error);
    ~RealDisks();
    RealDisks(const RealDisks&) = delete;
    RealDisks& operator=(const RealDisks&) = delete;

    bool empty() const { return volumes_.empty(); }
    // Writes back what changed on FAT volumes. False with `error` for the first that failed.
    bool flush(std::string& error);
    // Writes back, unmounts and detaches everything; later calls do nothing.
    void close();

private:
    friend void closeAllRealDisks();
    RealDisks() = default;
    std::filesystem::path privateFolder_;
    std::vector<std::unique_ptr<DiskLock>> locks_;  // released after the volumes are closed
    std::vector<std::shared_ptr<RealVolume>> volumes_;
};

// Closes every RealDisks still open, from the runner's signal thread. What a FAT volume's
// mirror holds is not written back then: the run was stopped, and half a write-back is worse
// than none.
void closeAllRealDisks();

}  // namespace halvora::sim
