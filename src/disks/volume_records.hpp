#pragma once
// The records Windows fills about a volume (STORAGE_DEVICE_NUMBER, PARTITION_INFORMATION_EX,
// STORAGE_DEVICE_DESCRIPTOR), read from their published byte layouts, and what the program makes
// of them: ESP and active tests, partition style and boot type texts, the product text.

#include <array>
#include <cstdint>
#include <string>

#include "platform/volumes.hpp"

namespace halvora {

using DeviceNumberBytes = std::array<std::uint8_t, kDeviceNumberSize>;
using PartitionInfoBytes = std::array<std::uint8_t, kPartitionInfoSize>;
using DeviceDescriptorBytes = std::array<std::uint8_t, kDeviceDescriptorSize>;
using GuidBytes = std::array<std::uint8_t, 16>;

inline constexpr std::uint32_t kPartitionStyleMbr = 0;
inline constexpr std::uint32_t kPartitionStyleGpt = 1;
inline constexpr std::uint32_t kPartitionStyleRaw = 2;

struct DeviceNumber {
    std::uint32_t DeviceNumber = 0;  // the physical disk
    std::uint32_t PartitionNumber = 0;
};

struct PartitionInfo {
    std::uint32_t PartitionStyle = 0;
    std::uint32_t PartitionNumber = 0;
    std::uint8_t MbrPartitionType = 0;
    std::uint8_t MbrBootIndicator = 0;
    GuidBytes GptPartitionType{};
    std::wstring GptName;
};

struct DeviceDescriptor {
    std::wstring Vendor;  // empty when its offset is 0
    std::wstring Product;
    bool HasVendor = false;
    bool HasProduct = false;
    std::uint16_t BusType = 0;
};

DeviceNumber decodeDeviceNumber(const DeviceNumberBytes& bytes);
PartitionInfo decodePartitionInfo(const PartitionInfoBytes& bytes);
DeviceDescriptor decodeDeviceDescriptor(const DeviceDescriptorBytes& bytes);

// "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", as StringFromGUID2 writes a GUID.
std::wstring guidText(const GuidBytes& guid);

inline const std::wstring kEspTypeGuid = L"{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}";

bool isGptEsp(const PartitionInfo& info);
bool isMbrEsp(const PartitionInfo& info);
bool isEsp(const PartitionInfo& info);
bool isActive(const PartitionInfo& info);

// "MBR", "GPT", or "RAW" for media without a partition table (and any other style).
std::wstring partitionStyleText(const PartitionInfo& info);
// "ESP" for an ESP of either style, "ACT" for an active MBR partition that is not one, else "".
std::wstring bootTypeText(const PartitionInfo& info);
// Vendor and product, each trimmed of spaces and followed by one space; absent parts left out.
std::wstring productText(const DeviceDescriptor& descriptor);

}  // namespace halvora
