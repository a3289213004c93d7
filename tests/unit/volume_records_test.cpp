#include <gtest/gtest.h>

#include <cstring>

#include "disks/volume_identity.hpp"
#include "disks/volume_records.hpp"

namespace halvora {
namespace {

template <std::size_t N>
void put32(std::array<std::uint8_t, N>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The ESP type GUID as Windows keeps it in memory: Data1, Data2, Data3 little-endian.
const GuidBytes kEspGuid = {0x28, 0x73, 0x2A, 0xC1, 0x1F, 0xF8, 0xD2, 0x11,
                            0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B};

TEST(VolumeRecords, DeviceNumberSkipsTheDeviceType) {
    DeviceNumberBytes bytes{};
    put32(bytes, 0, 7);  // FILE_DEVICE_DISK
    put32(bytes, 4, 2);
    put32(bytes, 8, 0x10003);
    const DeviceNumber n = decodeDeviceNumber(bytes);
    EXPECT_EQ(n.DeviceNumber, 2u);
    EXPECT_EQ(n.PartitionNumber, 0x10003u);
}

TEST(VolumeRecords, GptPartitionWithItsTypeAndName) {
    PartitionInfoBytes bytes{};
    put32(bytes, 0, kPartitionStyleGpt);
    put32(bytes, 24, 1);
    std::memcpy(&bytes[32], kEspGuid.data(), 16);
    const std::u16string name = u"EFI system partition";
    for (std::size_t i = 0; i < name.size(); ++i) {
        bytes[72 + 2 * i] = static_cast<std::uint8_t>(name[i]);
        bytes[73 + 2 * i] = static_cast<std::uint8_t>(name[i] >> 8);
    }
    const PartitionInfo info = decodePartitionInfo(bytes);
    EXPECT_EQ(guidText(info.GptPartitionType), kEspTypeGuid);
    EXPECT_EQ(info.GptName, L"EFI system partition");
    EXPECT_EQ(info.PartitionNumber, 1u);
    EXPECT_TRUE(isGptEsp(info));
    EXPECT_FALSE(isMbrEsp(info));
    EXPECT_FALSE(isActive(info)) << "the GPT GUID's bytes are no MBR boot indicator";
    EXPECT_EQ(partitionStyleText(info), L"GPT");
    EXPECT_EQ(bootTypeText(info), L"ESP");

    // A name that fills all 36 characters has no terminator of its own.
    for (std::size_t i = 0; i < 36; ++i) bytes[72 + 2 * i] = 'A', bytes[73 + 2 * i] = 0;
    EXPECT_EQ(decodePartitionInfo(bytes).GptName, std::wstring(36, L'A'));
    // The basic data type is no ESP.
    const GuidBytes basicData = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                 0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
    std::memcpy(&bytes[32], basicData.data(), 16);
    EXPECT_EQ(guidText(decodePartitionInfo(bytes).GptPartitionType), L"{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}");
    EXPECT_FALSE(isEsp(decodePartitionInfo(bytes)));
}

TEST(VolumeRecords, MbrTypesAndTheActiveFlag) {
    PartitionInfoBytes bytes{};
    put32(bytes, 0, kPartitionStyleMbr);
    bytes[32] = 0x07;
    bytes[33] = 1;
    PartitionInfo info = decodePartitionInfo(bytes);
    EXPECT_EQ(bootTypeText(info), L"ACT");
    EXPECT_EQ(partitionStyleText(info), L"MBR");
    bytes[32] = 0xEF;  // active and an ESP: an ESP
    info = decodePartitionInfo(bytes);
    EXPECT_TRUE(isMbrEsp(info));
    EXPECT_TRUE(isActive(info));
    EXPECT_EQ(bootTypeText(info), L"ESP");
    bytes[33] = 0;
    bytes[32] = 0x0C;
    EXPECT_EQ(bootTypeText(decodePartitionInfo(bytes)), L"");
    put32(bytes, 0, kPartitionStyleRaw);
    EXPECT_EQ(partitionStyleText(decodePartitionInfo(bytes)), L"RAW");
    EXPECT_FALSE(isActive(decodePartitionInfo(bytes)));
}

TEST(VolumeRecords, DescriptorTextsAndBus) {
    DeviceDescriptorBytes bytes{};
    put32(bytes, 12, 60);
    put32(bytes, 16, 70);
    put32(bytes, 28, 7);  // USB
    std::memcpy(&bytes[60], "  SanDisk", 10);
    std::memcpy(&bytes[70], "Ultra Fit   ", 13);
    DeviceDescriptor d = decodeDeviceDescriptor(bytes);
    EXPECT_EQ(d.BusType, 7);
    EXPECT_EQ(productText(d), L"SanDisk Ultra Fit ");
    put32(bytes, 12, 0);
    EXPECT_EQ(productText(decodeDeviceDescriptor(bytes)), L"Ultra Fit ");
    put32(bytes, 16, 0);
    EXPECT_EQ(productText(decodeDeviceDescriptor(bytes)), L"");
    // An offset at the very end, or past it, reads no further than the buffer.
    put32(bytes, 16, kDeviceDescriptorSize - 1);
    bytes[kDeviceDescriptorSize - 1] = 'X';
    EXPECT_EQ(productText(decodeDeviceDescriptor(bytes)), L"X ");
    put32(bytes, 16, 0xFFFFFFF0);
    EXPECT_EQ(productText(decodeDeviceDescriptor(bytes)), L" ");
}

TEST(VolumePaths, EveryFormOpensTheSameWay) {
    EXPECT_EQ(normaliseVolumePath(L"C:\\"), L"\\\\.\\C:");
    EXPECT_EQ(normaliseVolumePath(L"C:"), L"\\\\.\\C:");
    EXPECT_EQ(normaliseVolumePath(L"\\\\.\\C:\\"), L"\\\\.\\C:");
    EXPECT_EQ(normaliseVolumePath(L"\\Device\\HarddiskVolume3"), L"\\\\.\\HarddiskVolume3");
    EXPECT_EQ(normaliseVolumePath(L"\\device\\HarddiskVolume3"), L"\\device\\HarddiskVolume3");
    EXPECT_EQ(normaliseVolumePath(L"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-100000000000}\\"),
              L"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-100000000000}");
}

}  // namespace
}  // namespace halvora
