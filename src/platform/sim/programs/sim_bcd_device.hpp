#pragma once
// The device element of a boot configuration store (the application and OS devices) that names
// one partition, in the 88 bytes the boot manager reads:
//
//   0x10  device type, 4 bytes: 6 a partition
//   0x18  0x48, 4 bytes: the length of what follows from 0x10 on
//   0x20  GPT: the partition's GUID (16 bytes, in the order Windows keeps a GUID in memory:
//         Data1, Data2, Data3 little-endian, Data4 as is); MBR: the partition's byte offset on
//         its disk (8 bytes, little-endian)
//   0x34  the partition style, 4 bytes: 0 GPT, 1 MBR
//   0x38  GPT: the disk's GUID (16 bytes); MBR: the disk signature (4 bytes)
//
// and zeros elsewhere.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/disks/sim_disk_description.hpp"

namespace halvora::sim {

inline constexpr std::size_t kBcdDeviceSize = 88;

struct BcdPartitionDevice {
    PartitionStyle style = PartitionStyle::Gpt;  // Gpt or Mbr
    Guid diskGuid;                               // GPT
    Guid partitionGuid;                          // GPT
    std::uint32_t mbrSignature = 0;              // MBR
    std::uint64_t partitionOffset = 0;           // MBR
    bool operator==(const BcdPartitionDevice&) const = default;
};

std::string bcdDeviceElement(const BcdPartitionDevice& device);
// The partition an element names; nullopt for another kind of device or a size that is not
// that of a device element. What an MBR element does not carry stays zero, and so the same.
std::optional<BcdPartitionDevice> parseBcdDeviceElement(const std::string& bytes);

// A GUID's 16 bytes as Windows keeps it in memory, and back.
std::string guidBytes(const Guid& guid);
Guid guidFromBytes(const std::uint8_t* bytes);

}  // namespace halvora::sim
