#pragma once
// The disks of a simulated machine as its description gives them: physical disks with their
// partitions, CD-ROM drives and the other drives (network, RAM disk). Every volume is a host
// folder holding its files.

#include <array>
#include <cstdint>
#include <filesystem>
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

enum class PartitionStyle : std::uint32_t { Mbr = 0, Gpt = 1, Raw = 2 };

struct PartitionDescription {
    std::uint32_t number = 0;
    std::uint8_t mbrType = 0x07;  // MBR only
    bool active = false;          // MBR only
    Guid gptType = kBasicDataGuid;  // GPT only
    std::wstring gptName;           // GPT only, at most 36 characters
    wchar_t letter = 0;             // upper case; 0 for none
    std::wstring label;
    std::wstring fileSystem = L"NTFS";
    std::uint64_t size = 64ull << 30;
    std::filesystem::path folder;
};

struct DiskDescription {
    std::uint32_t number = 0;
    PartitionStyle style = PartitionStyle::Mbr;
    std::uint32_t bus = 11;  // STORAGE_BUS_TYPE: SATA
    bool removable = false;
    std::optional<std::string> vendor;  // single-byte texts of the device descriptor
    std::optional<std::string> product;
    std::vector<PartitionDescription> partitions;
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

// Reads "disks", "cdroms" and "otherDrives" of `root`. Relative folders are relative to
// `baseFolder`; letters must not repeat each other nor those of `plainDrives`. False with
// `error` naming the field when one is missing, of the wrong shape or contradicts another.
bool parseStorageDescription(const nlohmann::json& root, const std::filesystem::path& baseFolder,
                             const DriveFolders& plainDrives, StorageDescription& out, std::string& error);

}  // namespace halvora::sim
