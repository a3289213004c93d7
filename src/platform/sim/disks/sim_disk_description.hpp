#pragma once
// The disks of a simulated machine as its description gives them: physical disks with their
// partitions, CD-ROM drives and the other drives (network, RAM disk). Every volume is a host
// folder holding its files. A disk may also be real (a raw disk image or a block device of the
// host): its partitions are then read from its partition table, and the folders of its volumes
// are where the runner makes their files reachable (see real/sim_real_disks.hpp).

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/files/sim_paths.hpp"

namespace halvora::sim {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    bool operator==(const Guid&) const = default;
};

// "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", braces required, either case of the hex digits.
std::optional<Guid> parseGuid(const std::string& text);
std::wstring guidText(const Guid& guid);  // upper case, in braces

// The type of an ordinary data partition on GPT.
inline constexpr Guid kBasicDataGuid{0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};

class RealVolume;  // real/sim_real_volume.hpp

enum class PartitionStyle : std::uint32_t { Mbr = 0, Gpt = 1, Raw = 2 };

struct PartitionDescription {
    std::uint32_t number = 0;
    std::uint8_t mbrType = 0x07;    // MBR only
    bool active = false;            // MBR only
    Guid gptType = kBasicDataGuid;  // GPT only
    std::wstring gptName;           // GPT only, at most 36 characters
    wchar_t letter = 0;             // upper case; 0 for none
    std::wstring label;
    std::wstring fileSystem = L"NTFS";
    std::uint64_t size = 64ull << 30;
    std::filesystem::path folder;
    // Where the partition starts on its disk, and on GPT its own GUID. A real disk's table gives
    // both; a described disk's partitions lie one after another from 1 MiB with GUIDs made up.
    std::optional<std::uint64_t> offset;
    std::optional<Guid> partitionGuid;
    // A partition of a real disk: its loop device and how its files are reached.
    std::shared_ptr<RealVolume> realVolume;
};

enum class RealDiskKind { Image, Device };

// The sectors of a real disk: a raw disk image file or a block device such as /dev/sdb.
struct RealDiskSource {
    RealDiskKind kind = RealDiskKind::Image;
    std::filesystem::path path;  // as written; an image's relative path is made whole by the reader
};

struct DiskDescription {
    std::uint32_t number = 0;
    PartitionStyle style = PartitionStyle::Mbr;
    std::uint32_t bus = 11;  // STORAGE_BUS_TYPE: SATA
    bool removable = false;
    std::optional<std::string> vendor;  // single-byte texts of the device descriptor
    std::optional<std::string> product;
    std::vector<PartitionDescription> partitions;
    // A real disk: where its sectors are, and the letters its partitions get (partition number
    // -> upper-case letter). Its partitions come from its table when the machine starts.
    std::optional<RealDiskSource> real;
    std::map<std::uint32_t, wchar_t> letters;
    // The disk's identity in its partition table: the GPT disk GUID or the MBR signature.
    Guid gptDiskGuid;
    std::uint32_t mbrSignature = 0;
};

struct CdRomDescription {
    wchar_t letter = 0;
    std::filesystem::path folder;
};

enum class OtherDriveKind { Network, RamDisk };

struct OtherDriveDescription {
    wchar_t letter = 0;
    OtherDriveKind kind = OtherDriveKind::Network;
    std::filesystem::path folder;
};

struct StorageDescription {
    std::vector<DiskDescription> disks;
    std::vector<CdRomDescription> cdroms;
    std::vector<OtherDriveDescription> otherDrives;
};

// Each part of a disk description read by nlohmann-json's get<T>(). A value of the wrong shape
// throws, naming its JSON path (sim_json.hpp); a folder stays as written, for the machine
// description's reader to make whole. A partition alone cannot tell whether its disk is MBR or
// GPT: the disk refuses what belongs to the other style before it reads the partition.
void from_json(const nlohmann::json& value, Guid& guid);
void from_json(const nlohmann::json& value, PartitionStyle& style);
void from_json(const nlohmann::json& value, PartitionDescription& partition);
void from_json(const nlohmann::json& value, DiskDescription& disk);
void from_json(const nlohmann::json& value, CdRomDescription& cdrom);
void from_json(const nlohmann::json& value, OtherDriveDescription& drive);

// Reads "disks", "cdroms" and "otherDrives" of `root`, with folders as written. Letters must not
// repeat each other nor those of `plainDrives`; disk numbers and the partition numbers of a disk
// must not repeat. Throws as from_json does, naming the JSON path of the value refused.
StorageDescription readStorageDescription(const nlohmann::json& root, const DriveFolders& plainDrives);

}  // namespace halvora::sim
