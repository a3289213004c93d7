#pragma once
// What a real disk's partition table says, read with libblkid: the style and identity of the
// disk, and for every partition what Windows reports of it (number, place, type, GUIDs, name,
// active flag) and the file system and label found in it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/disks/sim_disk_description.hpp"

namespace halvora::sim {

struct RealPartition {
    std::uint32_t number = 0;
    std::uint64_t offset = 0;  // bytes from the start of the disk
    std::uint64_t size = 0;    // bytes
    std::uint8_t mbrType = 0;  // MBR only
    bool active = false;       // MBR only
    Guid gptType;              // GPT only
    Guid partitionGuid;        // GPT only
    std::wstring gptName;      // GPT only
    std::wstring fileSystem;   // "NTFS", "FAT32", "FAT", or "RAW" when none is recognised
    std::wstring label;
};

struct RealDiskLayout {
    PartitionStyle style = PartitionStyle::Raw;
    std::uint64_t size = 0;
    Guid gptDiskGuid;                       // GPT only
    std::uint32_t mbrSignature = 0;         // MBR only
    std::vector<RealPartition> partitions;  // in the table's order; extended containers left out
};

// Nullopt with `error` when the disk cannot be read or a partition lies outside it. A disk with
// no table is RAW with no partitions.
std::optional<RealDiskLayout> readPartitionTable(const std::filesystem::path& disk, std::string& error);

// The file system and label at `offset` for `size` bytes of `disk`, as readPartitionTable gives
// them for a partition.
void probeFileSystem(const std::filesystem::path& disk, std::uint64_t offset, std::uint64_t size,
                     std::wstring& fileSystem, std::wstring& label);

}  // namespace halvora::sim
