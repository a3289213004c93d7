#include "platform/sim/programs/sim_bcd_device.hpp"

#include <algorithm>

#include "base/little_endian.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kPartitionDevice = 6;
constexpr std::uint32_t kStyleGpt = 0;
constexpr std::uint32_t kStyleMbr = 1;

constexpr std::size_t kTypeAt = 0x10;
constexpr std::size_t kLengthAt = 0x18;
constexpr std::size_t kPartitionAt = 0x20;
constexpr std::size_t kStyleAt = 0x34;
constexpr std::size_t kDiskAt = 0x38;

}  // namespace

std::string guidBytes(const Guid& guid) {
    std::string bytes(16, '\0');
    auto* at = reinterpret_cast<std::uint8_t*>(bytes.data());
    writeLe32(at, guid.data1);
    writeLe16(at + 4, guid.data2);
    writeLe16(at + 6, guid.data3);
    std::copy(guid.data4.begin(), guid.data4.end(), at + 8);
    return bytes;
}

Guid guidFromBytes(const std::uint8_t* bytes) {
    Guid guid;
    guid.data1 = readLe32(bytes);
    guid.data2 = readLe16(bytes + 4);
    guid.data3 = readLe16(bytes + 6);
    std::copy_n(bytes + 8, 8, guid.data4.begin());
    return guid;
}

std::string bcdDeviceElement(const BcdPartitionDevice& device) {
    std::string bytes(kBcdDeviceSize, '\0');
    auto* at = reinterpret_cast<std::uint8_t*>(bytes.data());
    writeLe32(at + kTypeAt, kPartitionDevice);
    writeLe32(at + kLengthAt, static_cast<std::uint32_t>(kBcdDeviceSize - kTypeAt));
    if (device.style == PartitionStyle::Mbr) {
        writeLe64(at + kPartitionAt, device.partitionOffset);
        writeLe32(at + kStyleAt, kStyleMbr);
        writeLe32(at + kDiskAt, device.mbrSignature);
    } else {
        bytes.replace(kPartitionAt, 16, guidBytes(device.partitionGuid));
        writeLe32(at + kStyleAt, kStyleGpt);
        bytes.replace(kDiskAt, 16, guidBytes(device.diskGuid));
    }
    return bytes;
}

std::optional<BcdPartitionDevice> parseBcdDeviceElement(const std::string& bytes) {
    if (bytes.size() != kBcdDeviceSize) return std::nullopt;
    const auto* at = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (readLe32(at + kTypeAt) != kPartitionDevice) return std::nullopt;
    BcdPartitionDevice device;
    switch (readLe32(at + kStyleAt)) {
        case kStyleGpt:
            device.style = PartitionStyle::Gpt;
            device.partitionGuid = guidFromBytes(at + kPartitionAt);
            device.diskGuid = guidFromBytes(at + kDiskAt);
            return device;
        case kStyleMbr:
            device.style = PartitionStyle::Mbr;
            device.partitionOffset = readLe64(at + kPartitionAt);
            device.mbrSignature = readLe32(at + kDiskAt);
            return device;
        default:
            return std::nullopt;
    }
}

}  // namespace halvora::sim
