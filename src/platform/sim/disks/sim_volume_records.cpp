#include "platform/sim/disks/sim_volume_records.hpp"

#include <cstring>
#include <string>

#include "base/little_endian.hpp"
#include "platform/volumes.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kFileDeviceDisk = 7;
constexpr std::uint8_t kDeviceTypeCdRom = 5;  // SCSI peripheral device types
constexpr std::uint32_t kBusTypeAtapi = 2;
constexpr std::uint32_t kBusTypeFileBackedVirtual = 15;
void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) { writeLe32(&bytes[at], value); }
void put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) { writeLe16(&bytes[at], value); }
void put64(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value) { writeLe64(&bytes[at], value); }
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
        case 0x01:
        case 0x04:
        case 0x06:
        case 0x07:
        case 0x0B:
        case 0x0C:
        case 0x0E:
        case 0xEF:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::vector<std::uint8_t> deviceNumberRecord(const DeviceInfo& volume) {
    std::vector<std::uint8_t> bytes(kDeviceNumberSize, 0);
    put32(bytes, record::kDeviceType, kFileDeviceDisk);
    put32(bytes, record::kDeviceNumber, volume.disk->number);
    put32(bytes, record::kDevicePartitionNumber, volume.partition->number);
    return bytes;
}

std::vector<std::uint8_t> partitionInfoRecord(const DeviceInfo& volume) {
    std::vector<std::uint8_t> bytes(kPartitionInfoSize, 0);
    const auto& p = *volume.partition;
    put32(bytes, record::kPartitionStyle, static_cast<std::uint32_t>(volume.disk->style));
    put64(bytes, record::kStartingOffset, volume.startingOffset);
    put64(bytes, record::kPartitionLength, p.size);
    put32(bytes, record::kPartitionNumber, p.number);
    bytes[record::kRewritePartition] = 0;
    bytes[record::kRewritePartition + 1] = 0;  // IsServicePartition
    if (volume.disk->style == PartitionStyle::Mbr) {
        bytes[record::kMbrPartitionType] = p.mbrType;
        bytes[record::kMbrBootIndicator] = p.active ? 1 : 0;
        bytes[record::kMbrRecognizedPartition] = recognised(p.mbrType) ? 1 : 0;
        put32(bytes, record::kMbrHiddenSectors, static_cast<std::uint32_t>(volume.startingOffset / 512));
        putGuid(bytes, record::kMbrPartitionId, volume.partitionId);
    } else if (volume.disk->style == PartitionStyle::Gpt) {
        putGuid(bytes, record::kGptPartitionType, p.gptType);
        putGuid(bytes, record::kGptPartitionId, volume.partitionId);
        put64(bytes, record::kGptAttributes, 0);
        for (std::size_t i = 0; i < p.gptName.size() && i < record::kGptNameCharacters; ++i) {
            put16(bytes, record::kGptName + 2 * i, static_cast<std::uint16_t>(p.gptName[i]));
        }
    }
    return bytes;
}

std::vector<std::uint8_t> deviceDescriptorRecord(const DeviceInfo& device) {
    std::vector<std::uint8_t> bytes(record::kDescriptorFixedSize, 0);
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
    put32(bytes, record::kDescriptorVersion,
          static_cast<std::uint32_t>(record::kDescriptorFixedSize));  // Version: the structure's size
    put32(bytes, record::kDescriptorSize, static_cast<std::uint32_t>(bytes.size()));
    bytes[record::kDescriptorDeviceType] = deviceType;
    bytes[record::kDescriptorRemovableMedia] = removable ? 1 : 0;
    put32(bytes, record::kVendorIdOffset, vendorOffset);
    put32(bytes, record::kProductIdOffset, productOffset);
    put32(bytes, record::kBusType, bus);
    return bytes;
}

}  // namespace halvora::sim
