#include "platform/sim/sim_volume_records.hpp"

#include <cstring>
#include <string>

namespace halvora::sim {

namespace {

constexpr std::uint32_t kFileDeviceDisk = 7;
constexpr std::uint8_t kDeviceTypeCdRom = 5;  // SCSI peripheral device types
constexpr std::uint32_t kBusTypeAtapi = 2;
constexpr std::uint32_t kBusTypeFileBackedVirtual = 15;
constexpr std::size_t kDescriptorSize = 40;  // sizeof(STORAGE_DEVICE_DESCRIPTOR), padded

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put64(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value) {
    put32(bytes, at, static_cast<std::uint32_t>(value));
    put32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}
// GUID in memory: Data1, Data2, Data3 little-endian, then Data4 as it is.
void putGuid(std::vector<std::uint8_t>& bytes, std::size_t at, const Guid& guid) {
    put32(bytes, at, guid.data1);
    put16(bytes, at + 4, guid.data2);
    put16(bytes, at + 6, guid.data3);
    std::memcpy(bytes.data() + at + 8, guid.data4.data(), 8);
}

bool recognised(std::uint8_t mbrType) {
    // The types Windows mounts as volumes of its own file systems.
    switch (mbrType) {
    case 0x01: case 0x04: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: case 0xEF:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::vector<std::uint8_t> deviceNumberRecord(const DeviceInfo& volume) {
    std::vector<std::uint8_t> bytes(12, 0);
    put32(bytes, 0, kFileDeviceDisk);
    put32(bytes, 4, volume.disk->number);
    put32(bytes, 8, volume.partition->number);
    return bytes;
}

std::vector<std::uint8_t> partitionInfoRecord(const DeviceInfo& volume) {
    std::vector<std::uint8_t> bytes(144, 0);
    const auto& p = *volume.partition;
    put32(bytes, 0, static_cast<std::uint32_t>(volume.disk->style));
    put64(bytes, 8, volume.startingOffset);
    put64(bytes, 16, p.size);
    put32(bytes, 24, p.number);
    bytes[28] = 0;  // RewritePartition
    bytes[29] = 0;  // IsServicePartition
    if (volume.disk->style == PartitionStyle::Mbr) {
        bytes[32] = p.mbrType;
        bytes[33] = p.active ? 1 : 0;
        bytes[34] = recognised(p.mbrType) ? 1 : 0;
        put32(bytes, 36, static_cast<std::uint32_t>(volume.startingOffset / 512));
        putGuid(bytes, 40, volume.partitionId);
    } else if (volume.disk->style == PartitionStyle::Gpt) {
        putGuid(bytes, 32, p.gptType);
        putGuid(bytes, 48, volume.partitionId);
        put64(bytes, 64, 0);  // Attributes
        for (std::size_t i = 0; i < p.gptName.size() && i < 36; ++i) {
            put16(bytes, 72 + 2 * i, static_cast<std::uint16_t>(p.gptName[i]));
        }
    }
    return bytes;
}

std::vector<std::uint8_t> deviceDescriptorRecord(const DeviceInfo& device) {
    std::vector<std::uint8_t> bytes(kDescriptorSize, 0);
    auto appendText = [&bytes](const std::string& text) {
        const auto at = static_cast<std::uint32_t>(bytes.size());
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return at;
    };
    std::uint32_t vendorOffset = 0;
    std::uint32_t productOffset = 0;
    bool removable = true;
    std::uint8_t deviceType = kDeviceTypeCdRom;
    std::uint32_t bus = kBusTypeAtapi;
    if (device.kind == DeviceKind::Volume) {
        const auto& disk = *device.disk;
        removable = disk.removable;
        deviceType = 0;  // direct-access block device
        bus = disk.bus;
        if (disk.vendor) vendorOffset = appendText(*disk.vendor);
        if (disk.product) productOffset = appendText(*disk.product);
    } else if (device.virtualDisc) {
        // What Windows reports for a mounted disc image.
        vendorOffset = appendText("Msft    ");
        productOffset = appendText("Virtual DVD-ROM ");
        bus = kBusTypeFileBackedVirtual;
    } else {
        productOffset = appendText("Sim DVD-ROM");
    }
    put32(bytes, 0, static_cast<std::uint32_t>(kDescriptorSize));  // Version: the structure's size
    put32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    bytes[8] = deviceType;
    bytes[10] = removable ? 1 : 0;
    put32(bytes, 12, vendorOffset);
    put32(bytes, 16, productOffset);
    put32(bytes, 28, bus);
    return bytes;
}

}  // namespace halvora::sim
