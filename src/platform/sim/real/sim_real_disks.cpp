#include "platform/sim/real/sim_real_disks.hpp"

#include <stdlib.h>

#include <algorithm>
#include <mutex>

#include "platform/sim/real/sim_disk_lock.hpp"
#include "platform/sim/real/sim_partition_table.hpp"
#include "platform/sim/real/sim_real_disk_safety.hpp"
#include "platform/sim/real/sim_real_volume.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

std::mutex& openSetsMutex() {
    static std::mutex mutex;
    return mutex;
}
std::vector<RealDisks*>& openSets() {
    static std::vector<RealDisks*> sets;
    return sets;
}

std::string nameOf(const DiskDescription& disk) {
    return "disk " + std::to_string(disk.number) + " (" + disk.real->path.string() + ")";
}

PartitionDescription describedPartition(const RealPartition& real, const DiskDescription& disk) {
    PartitionDescription p;
    p.number = real.number;
    p.mbrType = real.mbrType;
    p.active = real.active;
    p.gptType = real.gptType;
    p.gptName = real.gptName;
    const auto letter = disk.letters.find(real.number);
    p.letter = letter == disk.letters.end() ? 0 : letter->second;
    p.label = real.label;
    p.fileSystem = real.fileSystem;
    p.size = real.size;
    p.offset = real.offset;
    if (disk.style == PartitionStyle::Gpt) p.partitionGuid = real.partitionGuid;
    return p;
}

}  // namespace

std::unique_ptr<RealDisks> RealDisks::open(StorageDescription& storage, std::string& error) {
    std::unique_ptr<RealDisks> set(new RealDisks());
    {
        std::lock_guard lock(openSetsMutex());
        openSets().push_back(set.get());
    }
    for (auto& disk : storage.disks) {
        if (!disk.real) continue;
        const fs::path& path = disk.real->path;
        const std::string refusal = disk.real->kind == RealDiskKind::Device ? deviceRefusal(path) : imageRefusal(path);
        if (!refusal.empty()) {
            error = "machine description: " + nameOf(disk) + " is refused: " + refusal;
            return nullptr;
        }
        auto lock = DiskLock::take(path, error);
        if (!lock) {
            error = "machine description: " + nameOf(disk) + " is refused: " + error;
            return nullptr;
        }
        set->locks_.push_back(std::move(lock));
        const auto layout = readPartitionTable(path, error);
        if (!layout) {
            error = "machine description: " + nameOf(disk) + ": " + error;
            return nullptr;
        }
        disk.style = layout->style;
        disk.gptDiskGuid = layout->gptDiskGuid;
        disk.mbrSignature = layout->mbrSignature;
        for (const auto& [number, letter] : disk.letters) {
            const bool present = std::any_of(layout->partitions.begin(), layout->partitions.end(),
                                             [number = number](const RealPartition& p) { return p.number == number; });
            if (!present) {
                error = "machine description: " + nameOf(disk) + ": letter " +
                        std::string(1, static_cast<char>(letter)) + ": the disk has no partition " +
                        std::to_string(number);
                return nullptr;
            }
        }
        if (set->privateFolder_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "halvora-sim-XXXXXX").string();
            if (!mkdtemp(pattern.data())) {
                error = "cannot make a private folder in " + fs::temp_directory_path().string();
                return nullptr;
            }
            set->privateFolder_ = pattern;
        }
        disk.partitions.clear();
        for (const auto& real : layout->partitions) {
            PartitionDescription partition = describedPartition(real, disk);
            partition.folder = set->privateFolder_ /
                               ("disk" + std::to_string(disk.number) + "-partition" + std::to_string(real.number));
            std::shared_ptr<RealVolume> volume = RealVolume::open(path, real, partition.folder, error);
            if (!volume) {
                error = "machine description: " + nameOf(disk) + ", partition " + std::to_string(real.number) + ": " +
                        error;
                return nullptr;
            }
            partition.realVolume = volume;
            set->volumes_.push_back(std::move(volume));
            disk.partitions.push_back(std::move(partition));
        }
    }
    return set;
}

RealDisks::~RealDisks() {
    close();
    std::lock_guard lock(openSetsMutex());
    auto& sets = openSets();
    sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
}

bool RealDisks::flush(std::string& error) {
    for (const auto& volume : volumes_) {
        if (!volume->flush(error)) return false;
    }
    return true;
}

void RealDisks::close() {
    for (const auto& volume : volumes_) volume->close();
    std::error_code ec;
    if (!privateFolder_.empty()) fs::remove(privateFolder_, ec);  // empty by now, unless a mount stayed
}

void closeAllRealDisks() {
    std::lock_guard lock(openSetsMutex());
    for (RealDisks* set : openSets()) {
        for (const auto& volume : set->volumes_) volume->close(/*writeBack=*/false);
        std::error_code ec;
        if (!set->privateFolder_.empty()) fs::remove(set->privateFolder_, ec);
    }
}

}  // namespace halvora::sim
