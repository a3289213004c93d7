// The disks of the simulated machine: how a description gives them, the records their volumes
// answer, the DOS-device name space and the drive enumerations over it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "platform/sim/disks/sim_volumes.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "temp_folder.hpp"
#include "ui/control_names.hpp"

namespace halvora::sim {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

json twoDisks() {
    return json::parse(R"({
      "drives": {"D": "plain-d"},
      "disks": [
        {"number": 0, "style": "GPT", "bus": 17, "removable": false, "vendor": "Samsung", "product": "SSD 970",
         "partitions": [
           {"number": 1, "gptType": "{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}", "gptName": "EFI system partition",
            "fileSystem": "FAT32", "size": 104857600, "folder": "esp"},
           {"number": 3, "letter": "C:", "label": "Windows", "size": 1073741824, "folder": "c"}
         ]},
        {"number": 1, "style": "MBR", "bus": 7, "removable": true, "product": "Stick",
         "partitions": [{"number": 1, "mbrType": 12, "active": true, "letter": "U", "fileSystem": "FAT32",
                         "label": "USB", "size": 8000000, "folder": "usb"}]}
      ],
      "cdroms": [{"letter": "E", "folder": "cd"}],
      "otherDrives": [{"letter": "Z", "kind": "network", "folder": "net"},
                      {"letter": "R:", "kind": "ramdisk", "folder": "ram"}]
    })");
}

TEST(SimDiskDescription, ReadsDisksPartitionsAndOtherDrives) {
    std::string error;
    auto m = SimMachine::fromJson(twoDisks(), error);
    ASSERT_TRUE(m) << error;
    const auto& s = m->description().storage;
    ASSERT_EQ(s.disks.size(), 2u);
    EXPECT_EQ(s.disks[0].style, PartitionStyle::Gpt);
    EXPECT_EQ(s.disks[0].bus, 17u);
    EXPECT_EQ(s.disks[0].vendor, "Samsung");
    EXPECT_FALSE(s.disks[1].vendor);
    EXPECT_TRUE(s.disks[1].removable);
    ASSERT_EQ(s.disks[0].partitions.size(), 2u);
    const auto& esp = s.disks[0].partitions[0];
    EXPECT_EQ(guidText(esp.gptType), L"{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}");
    EXPECT_EQ(esp.gptType.data1, 0xC12A7328u);
    EXPECT_EQ(esp.gptType.data4[7], 0x3B);
    EXPECT_EQ(esp.letter, 0);
    EXPECT_EQ(esp.folder, (fs::current_path() / "esp").lexically_normal());
    EXPECT_EQ(s.disks[0].partitions[1].letter, L'C');
    EXPECT_EQ(s.disks[0].partitions[1].number, 3u);
    EXPECT_EQ(s.disks[1].partitions[0].mbrType, 12);
    EXPECT_TRUE(s.disks[1].partitions[0].active);
    EXPECT_EQ(s.disks[1].partitions[0].size, 8000000u);
    ASSERT_EQ(s.cdroms.size(), 1u);
    EXPECT_EQ(s.cdroms[0].letter, L'E');
    ASSERT_EQ(s.otherDrives.size(), 2u);
    EXPECT_EQ(s.otherDrives[1].kind, OtherDriveKind::RamDisk);
    EXPECT_EQ(s.otherDrives[1].letter, L'R');
}

TEST(SimDiskDescription, RefusesBadDisksNamingTheField) {
    struct Case {
        const char* patch;  // JSON merged over twoDisks()
        const char* field;  // the JSON path of the value refused, and why
    };
    const Case cases[] = {
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1}]}]})",
         "/disks/0/partitions/0/folder: must be given"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "letter": "D", "folder": "x"}]}]})",
         "/disks/0/partitions/0/letter: the letter D: is used twice"},
        {R"({"cdroms": [{"letter": "c", "folder": "x"}]})", "/cdroms/0/letter: the letter C: is used twice"},
        {R"({"disks": [{"number": 2, "style": "MBR"}, {"number": 2, "style": "GPT"}]})",
         "/disks/1/number: 2 is used twice"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a"},
                                                                      {"number": 1, "folder": "b"}]}]})",
         "/disks/0/partitions/1/number: 1 is used twice on the disk"},
        {R"({"disks": [{"number": 0, "style": "APM"}]})", "/disks/0/style: must be \"MBR\", \"GPT\" or \"RAW\""},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "mbrType": 7, "folder": "a"}]}]})",
         "/disks/0/partitions/0/mbrType: belongs to MBR disks only"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a",
             "gptType": "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}"}]}]})",
         "/disks/0/partitions/0/gptType: belongs to GPT disks only"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptType": "{EBD0A0A2-B9E5-4433-87C0-68B6B72699CZ}"}]}]})",
         "/disks/0/partitions/0/gptType: must be a GUID in braces"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptType": "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"}]}]})",
         "/disks/0/partitions/0/gptType: must be a GUID in braces"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptName": "0123456789012345678901234567890123456"}]}]})",
         "/disks/0/partitions/0/gptName: must be at most 36 characters"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a", "mbrType": 256}]}]})",
         "/disks/0/partitions/0/mbrType: must be a whole number from 0 to 255"},
        {R"({"disks": [{"style": "MBR"}]})", "/disks/0/number: must be given"},
        {R"({"disks": [{"number": -1, "style": "MBR"}]})",
         "/disks/0/number: must be a whole number from 0 to 4294967295"},
        {R"({"otherDrives": [{"letter": "Y", "kind": "floppy", "folder": "x"}]})",
         "/otherDrives/0/kind: must be \"network\" or \"ramdisk\""},
        {R"({"disks": {"number": 0}})", "/disks: must be a list"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a"}, {"number": 2, "size": "big", "folder": "b"}]}]})",
         "/disks/0/partitions/1/size: must be a whole number from 0 to 9223372036854775807"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a", "size": 1.5}]}]})",
         "/disks/0/partitions/0/size: must be a whole number"},
    };
    for (const auto& c : cases) {
        json description = twoDisks();
        description.merge_patch(json::parse(c.patch));
        std::string error;
        EXPECT_FALSE(SimMachine::fromJson(description, error)) << c.patch;
        EXPECT_EQ(error.rfind(std::string("machine description: ") + c.field, 0), 0u) << c.patch << " gave: " << error;
    }
}

TEST(SimDisksRaw, AVolumeOnADiskWithoutPartitionTableReportsStyleTwo) {
    std::string error;
    auto m = SimMachine::fromJson(json::parse(R"({"disks": [{"number": 4, "style": "RAW", "removable": true,
        "partitions": [{"number": 0, "letter": "F", "folder": "raw"}]}]})"),
                                  error);
    ASSERT_TRUE(m) << error;
    SimVolumes volumes(m);
    std::uint32_t lastError = 0, returned = 0;
    auto handle = volumes.openVolume(L"\\\\.\\F:", 0, kFileShareReadWrite, 0, lastError);
    ASSERT_TRUE(handle);
    std::uint8_t info[kPartitionInfoSize] = {};
    ASSERT_TRUE(
        handle->deviceIoControl(kIoctlDiskGetPartitionInfoEx, nullptr, 0, info, sizeof info, returned, lastError));
    EXPECT_EQ(info[0], 2);
    EXPECT_EQ(returned, kPartitionInfoSize);
    EXPECT_EQ(volumes.driveType(L"F:\\"), kDriveRemovable);
}

// --- the machine of twoDisks() over real folders ------------------------------------------------

class SimDisksTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"plain-d", "esp", "c", "usb", "cd", "net", "ram"})
            fs::create_directories(root_ / folder);
        std::ofstream(root_ / "machine.json") << twoDisks().dump();
        std::string error;
        machine_ = SimMachine::load((root_ / "machine.json").string(), error);
        ASSERT_TRUE(machine_) << error;
        volumes_ = std::make_unique<SimVolumes>(machine_);
    }
    void TearDown() override {
        volumes_.reset();
        machine_.reset();
    }

    // DeviceIoControl on `path` into a zero-filled buffer of `size`; empty when it fails.
    std::vector<std::uint8_t> ioctl(const std::wstring& path, std::uint32_t code, std::uint32_t size,
                                    std::uint32_t* error = nullptr) {
        std::uint32_t lastError = 0;
        auto handle = volumes_->openVolume(path, 0, kFileShareReadWrite, 0, lastError);
        if (!handle) {
            if (error) *error = lastError;
            return {};
        }
        std::vector<std::uint8_t> out(size, 0);
        const std::uint8_t query[kPropertyQuerySize] = {};
        std::uint32_t returned = 0;
        const bool ok = handle->deviceIoControl(code, code == kIoctlStorageQueryProperty ? query : nullptr,
                                                code == kIoctlStorageQueryProperty ? kPropertyQuerySize : 0, out.data(),
                                                size, returned, lastError);
        if (error) *error = ok ? 0 : lastError;
        if (!ok) return {};
        EXPECT_LE(returned, size);
        return out;
    }
    std::wstring query(const std::optional<std::wstring>& name, std::size_t capacity, std::uint32_t& count,
                       std::uint32_t& error) {
        std::wstring buffer(capacity, L'#');
        error = 0;
        count = volumes_->queryDosDevice(name, buffer, error);
        return buffer.substr(0, count);
    }
    static std::vector<std::wstring> split(const std::wstring& multi) {
        std::vector<std::wstring> out;
        std::size_t start = 0;
        for (std::size_t i = 0; i < multi.size(); ++i) {
            if (multi[i] == L'\0') {
                if (i == start) break;  // the final NUL
                out.push_back(multi.substr(start, i - start));
                start = i + 1;
            }
        }
        return out;
    }
    static std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
        return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
    }
    static std::uint64_t u64(const std::vector<std::uint8_t>& b, std::size_t at) {
        return u32(b, at) | (std::uint64_t(u32(b, at + 4)) << 32);
    }
    std::wstring driveStrings() {
        std::wstring buffer(260, L'#');
        const auto n = volumes_->logicalDriveStrings(buffer);
        return buffer.substr(0, n);
    }

    halvora::testing::TempFolder folder_{"halvora-disks"};
    const fs::path& root_ = folder_.root();
    std::shared_ptr<SimMachine> machine_;
    std::unique_ptr<SimVolumes> volumes_;
};

TEST_F(SimDisksTest, DeviceNumberAndPartitionRecordsHoldTheirFieldsAtTheirOffsets) {
    auto number = ioctl(L"\\\\.\\C:", kIoctlStorageGetDeviceNumber, kDeviceNumberSize);
    ASSERT_EQ(number.size(), 12u);
    EXPECT_EQ(u32(number, 0), 7u);  // FILE_DEVICE_DISK
    EXPECT_EQ(u32(number, 4), 0u);
    EXPECT_EQ(u32(number, 8), 3u);

    // The ESP has no letter: it is reached by its DOS name, and by its volume GUID.
    auto gpt = ioctl(L"\\\\.\\HarddiskVolume1", kIoctlDiskGetPartitionInfoEx, kPartitionInfoSize);
    ASSERT_EQ(gpt.size(), 144u);
    EXPECT_EQ(u32(gpt, 0), 1u);  // GPT
    EXPECT_EQ(u64(gpt, 8), 1u << 20);
    EXPECT_EQ(u64(gpt, 16), 104857600u);
    EXPECT_EQ(u32(gpt, 24), 1u);
    const std::uint8_t espType[16] = {0x28, 0x73, 0x2A, 0xC1, 0x1F, 0xF8, 0xD2, 0x11,
                                      0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B};
    EXPECT_EQ(std::memcmp(gpt.data() + 32, espType, 16), 0);
    std::wstring name;
    for (std::size_t i = 72; i < 144 && (gpt[i] | gpt[i + 1]); i += 2) name += wchar_t(gpt[i] | (gpt[i + 1] << 8));
    EXPECT_EQ(name, L"EFI system partition");

    // The second partition of disk 0 starts after the first, on a MiB boundary.
    auto c = ioctl(L"\\\\.\\HarddiskVolume2", kIoctlDiskGetPartitionInfoEx, kPartitionInfoSize);
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(u64(c, 8), (1u << 20) + 104857600u);
    EXPECT_EQ(u32(c, 24), 3u);

    std::uint32_t count = 0, error = 0;
    const auto all = split(query(std::nullopt, 4096, count, error));
    const auto guidName =
        std::find_if(all.begin(), all.end(), [](const std::wstring& n) { return n.rfind(L"Volume{", 0) == 0; });
    ASSERT_NE(guidName, all.end());
    EXPECT_EQ(query(*guidName, 260, count, error), std::wstring(L"\\Device\\HarddiskVolume1") + L'\0' + L'\0');
    EXPECT_FALSE(ioctl(L"\\\\?\\" + *guidName, kIoctlDiskGetPartitionInfoEx, kPartitionInfoSize).empty());

    auto mbr = ioctl(L"\\\\.\\u:", kIoctlDiskGetPartitionInfoEx, kPartitionInfoSize);
    ASSERT_FALSE(mbr.empty());
    EXPECT_EQ(u32(mbr, 0), 0u);
    EXPECT_EQ(mbr[32], 12);  // type
    EXPECT_EQ(mbr[33], 1);   // active
    EXPECT_EQ(mbr[34], 1);   // recognised
    EXPECT_EQ(u32(mbr, 36), (1u << 20) / 512);
    auto usbNumber = ioctl(L"\\\\.\\U:", kIoctlStorageGetDeviceNumber, kDeviceNumberSize);
    ASSERT_FALSE(usbNumber.empty());
    EXPECT_EQ(u32(usbNumber, 4), 1u);
}

TEST_F(SimDisksTest, DeviceDescriptorCarriesBusAndTheTextsItsOffsetsPointTo) {
    auto d = ioctl(L"\\\\.\\C:", kIoctlStorageQueryProperty, kDeviceDescriptorSize);
    ASSERT_EQ(d.size(), kDeviceDescriptorSize);
    EXPECT_EQ(u32(d, 4), 40u + 8 + 8);  // the record and both texts
    EXPECT_EQ(d[10], 0);                // not removable
    EXPECT_EQ(u32(d, 28), 17u);         // NVMe
    ASSERT_NE(u32(d, 12), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(d.data() + u32(d, 12)), "Samsung");
    EXPECT_STREQ(reinterpret_cast<const char*>(d.data() + u32(d, 16)), "SSD 970");

    auto usb = ioctl(L"\\\\.\\U:", kIoctlStorageQueryProperty, kDeviceDescriptorSize);
    ASSERT_FALSE(usb.empty());
    EXPECT_EQ(u32(usb, 12), 0u);  // no vendor
    EXPECT_STREQ(reinterpret_cast<const char*>(usb.data() + u32(usb, 16)), "Stick");
    EXPECT_EQ(usb[10], 1);
    EXPECT_EQ(u32(usb, 28), 7u);

    std::uint32_t error = 0;
    EXPECT_TRUE(ioctl(L"\\\\.\\C:", kIoctlStorageQueryProperty, 40, &error).empty());
    EXPECT_EQ(error, 122u);
    EXPECT_TRUE(ioctl(L"\\\\.\\C:", kIoctlDiskGetPartitionInfoEx, 143, &error).empty());
    EXPECT_EQ(error, 122u);
}

TEST_F(SimDisksTest, DrivesWithoutPartitionsOpenButAnswerNoPartitionRecords) {
    std::uint32_t error = 0;
    for (const wchar_t* path : {L"\\\\.\\E:", L"\\\\.\\D:", L"\\\\.\\Z:"}) {
        EXPECT_TRUE(ioctl(path, kIoctlStorageGetDeviceNumber, kDeviceNumberSize, &error).empty()) << path;
        EXPECT_EQ(error, 1u) << path;
        EXPECT_TRUE(ioctl(path, kIoctlDiskGetPartitionInfoEx, kPartitionInfoSize, &error).empty()) << path;
        EXPECT_EQ(error, 1u) << path;
    }
    for (const wchar_t* path : {L"\\\\.\\Q:", L"\\\\.\\HarddiskVolume9", L"C:", L"\\\\.\\C:\\"}) {
        EXPECT_TRUE(ioctl(path, kIoctlStorageGetDeviceNumber, kDeviceNumberSize, &error).empty()) << path;
        EXPECT_EQ(error, 2u) << path;
    }
}

TEST_F(SimDisksTest, NameSpaceAnswersOneNameAllNamesAndTooSmallBuffers) {
    std::uint32_t count = 0, error = 0;
    const std::wstring c = query(std::wstring(L"c:"), 260, count, error);
    EXPECT_EQ(c, std::wstring(L"\\Device\\HarddiskVolume2") + L'\0' + L'\0');
    EXPECT_EQ(count, c.size());
    EXPECT_EQ(query(std::wstring(L"CdRom0"), 260, count, error), std::wstring(L"\\Device\\CdRom0") + L'\0' + L'\0');

    query(std::wstring(L"Q:"), 260, count, error);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(error, 2u);
    query(std::wstring(L"C:"), 10, count, error);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(error, 122u);

    // The growing buffer: too small gives 122 until the whole list fits.
    std::size_t capacity = 16;
    std::wstring all;
    for (; capacity < 100000; capacity += 16) {
        all = query(std::nullopt, capacity, count, error);
        if (count != 0) break;
        EXPECT_EQ(error, 122u);
    }
    ASSERT_NE(count, 0u);
    EXPECT_EQ(all.size(), count);
    EXPECT_GT(count + 16, capacity);  // it did not fit one step earlier
    const auto names = split(all);
    for (const wchar_t* expected :
         {L"HarddiskVolume1", L"HarddiskVolume2", L"HarddiskVolume3", L"HarddiskVolumeShadowCopy1", L"CdRom0", L"NUL",
          L"PhysicalDrive0", L"Global", L"C:", L"D:", L"E:", L"R:", L"U:", L"Z:"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << toUtf8(expected);
    }
    EXPECT_EQ(std::find(names.begin(), names.end(), L"HarddiskVolume4"), names.end());
    EXPECT_EQ(split(query(std::nullopt, 4096, count, error)), names);  // a stable order
    EXPECT_EQ(query(std::wstring(L"HarddiskVolumeShadowCopy1"), 260, count, error),
              std::wstring(L"\\Device\\HarddiskVolumeShadowCopy1") + L'\0' + L'\0');
}

TEST_F(SimDisksTest, RawTargetDefinitionIsADriveForEnumerationsAndFilesUntilRemoved) {
    EXPECT_EQ(driveStrings(), std::wstring(L"C:\\") + L'\0' + L"D:\\" + L'\0' + L"E:\\" + L'\0' + L"R:\\" + L'\0' +
                                  L"U:\\" + L'\0' + L"Z:\\" + L'\0');
    EXPECT_EQ(volumes_->driveType(L"S:"), kDriveNoRootDir);
    EXPECT_FALSE(machine_->hostPath(L"S:\\EFI\\x"));

    std::uint32_t error = 0;
    ASSERT_TRUE(volumes_->defineDosDevice(kDddRawTargetPath, L"S:", L"\\Device\\HarddiskVolume1", error));
    EXPECT_EQ(volumes_->logicalDrives() & (1u << 18), 1u << 18);
    EXPECT_NE(driveStrings().find(L"S:\\"), std::wstring::npos);
    EXPECT_EQ(volumes_->driveType(L"S:\\"), kDriveFixed);
    EXPECT_EQ(machine_->hostPath(L"S:\\EFI\\x"), (root_ / "esp/EFI/x").lexically_normal());
    std::uint32_t count = 0;
    EXPECT_EQ(query(std::wstring(L"S:"), 260, count, error),
              std::wstring(L"\\Device\\HarddiskVolume1") + L'\0' + L'\0');
    auto number = ioctl(L"\\\\.\\S:", kIoctlStorageGetDeviceNumber, kDeviceNumberSize);
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(u32(number, 8), 1u);

    // Removal needs the exact target; the wrong one leaves the letter.
    const std::uint32_t remove = kDddRawTargetPath | kDddRemoveDefinition | kDddExactMatchOnRemove;
    EXPECT_FALSE(volumes_->defineDosDevice(remove, L"S:", L"\\Device\\HarddiskVolume", error));
    EXPECT_EQ(error, 2u);
    EXPECT_EQ(volumes_->driveType(L"S:"), kDriveFixed);
    EXPECT_TRUE(volumes_->defineDosDevice(remove, L"s:", L"\\Device\\HarddiskVolume1", error));
    EXPECT_EQ(volumes_->driveType(L"S:"), kDriveNoRootDir);
    EXPECT_EQ(volumes_->logicalDrives() & (1u << 18), 0u);
    EXPECT_FALSE(machine_->hostPath(L"S:\\EFI\\x"));
    EXPECT_FALSE(volumes_->defineDosDevice(remove, L"S:", L"\\Device\\HarddiskVolume1", error));
    EXPECT_EQ(error, 2u);

    const auto calls = machine_->calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], L"DefineDosDeviceW 0x1 S: \\Device\\HarddiskVolume1");
    EXPECT_EQ(calls[2], L"DefineDosDeviceW 0x7 s: \\Device\\HarddiskVolume1");
}

TEST_F(SimDisksTest, ALaterDefinitionHidesTheEarlierOneUntilItIsRemoved) {
    std::uint32_t error = 0, count = 0;
    ASSERT_TRUE(volumes_->defineDosDevice(kDddRawTargetPath, L"C:", L"\\Device\\HarddiskVolume1", error));
    EXPECT_EQ(query(std::wstring(L"C:"), 260, count, error),
              std::wstring(L"\\Device\\HarddiskVolume1") + L'\0' + L"\\Device\\HarddiskVolume2" + L'\0' + L'\0');
    EXPECT_EQ(machine_->hostPath(L"C:\\a"), (root_ / "esp/a").lexically_normal());
    ASSERT_TRUE(volumes_->defineDosDevice(kDddRawTargetPath | kDddRemoveDefinition | kDddExactMatchOnRemove, L"C:",
                                          L"\\Device\\HarddiskVolume1", error));
    EXPECT_EQ(machine_->hostPath(L"C:\\a"), (root_ / "c/a").lexically_normal());
}

TEST_F(SimDisksTest, DriveTypesVolumeInformationAndFreeSpaceFallingAsFilesAreWritten) {
    EXPECT_EQ(volumes_->driveType(L"C:\\"), kDriveFixed);
    EXPECT_EQ(volumes_->driveType(L"D:"), kDriveFixed);  // a plain folder
    EXPECT_EQ(volumes_->driveType(L"U:\\"), kDriveRemovable);
    EXPECT_EQ(volumes_->driveType(L"E:\\"), kDriveCdRom);
    EXPECT_EQ(volumes_->driveType(L"Z:\\"), kDriveRemote);
    EXPECT_EQ(volumes_->driveType(L"R:\\"), kDriveRamDisk);
    EXPECT_EQ(volumes_->driveType(L"C:\\Windows"), kDriveNoRootDir);

    VolumeInformation info;
    ASSERT_TRUE(volumes_->volumeInformation(L"U:\\", info));
    EXPECT_EQ(info.label, L"USB");
    EXPECT_EQ(info.fileSystem, L"FAT32");
    VolumeInformation other;
    ASSERT_TRUE(volumes_->volumeInformation(L"C:\\", other));
    EXPECT_NE(other.serialNumber, info.serialNumber);
    EXPECT_FALSE(volumes_->volumeInformation(L"Q:\\", info));

    DiskSpace space;
    ASSERT_TRUE(volumes_->diskFreeSpace(L"U:\\", space));
    EXPECT_EQ(space.totalBytes, 8000000u);
    EXPECT_EQ(space.totalFreeBytes, 8000000u);
    fs::create_directories(root_ / "usb/sub");
    std::ofstream(root_ / "usb/sub/file.bin", std::ios::binary) << std::string(12345, 'x');
    ASSERT_TRUE(volumes_->diskFreeSpace(L"U:\\sub", space));
    EXPECT_EQ(space.totalFreeBytes, 8000000u - 12345u);
    EXPECT_EQ(space.freeBytesAvailableToCaller, space.totalFreeBytes);
    std::ofstream(root_ / "usb/big.bin", std::ios::binary) << std::string(8000000, 'y');
    ASSERT_TRUE(volumes_->diskFreeSpace(L"U:", space));
    EXPECT_EQ(space.totalFreeBytes, 0u);  // never below zero

    ASSERT_TRUE(volumes_->diskFreeSpace(L"D:\\", space));
    EXPECT_EQ(space.totalBytes, 256ull << 30);
    EXPECT_FALSE(volumes_->diskFreeSpace(L"Q:\\", space));
    std::wstring small(8, L'#');
    EXPECT_EQ(volumes_->logicalDriveStrings(small), 6u * 4 + 1);
    EXPECT_EQ(small, std::wstring(8, L'#'));
}

TEST_F(SimDisksTest, FormatDialogEmptiesTheVolumeOrIsCancelled) {
    SimToolkit toolkit(machine_);
    ScriptedUser user(toolkit);
    ASSERT_EQ(toolkit.createWindow(controls::MainWindow, L"Halvora", {100, 100}, ControlName(), 0), 0u);
    std::ofstream(root_ / "usb/old.txt") << "old";

    user.answerNextFormat(false);
    EXPECT_EQ(toolkit.formatDrive(controls::MainWindow, 20, 0xFFFF, 0), 0xFFFFFFFEu);
    EXPECT_TRUE(fs::exists(root_ / "usb/old.txt"));

    user.answerNextFormat(true, L"NTFS", L"Fresh");
    EXPECT_EQ(toolkit.formatDrive(controls::MainWindow, 20, 0xFFFF, 0), 0u);
    EXPECT_FALSE(fs::exists(root_ / "usb/old.txt"));
    EXPECT_TRUE(fs::exists(root_ / "usb"));
    VolumeInformation info;
    ASSERT_TRUE(volumes_->volumeInformation(L"U:\\", info));
    EXPECT_EQ(info.fileSystem, L"NTFS");
    EXPECT_EQ(info.label, L"Fresh");

    EXPECT_TRUE(toolkit.faults().empty());
    EXPECT_EQ(toolkit.formatDrive(controls::MainWindow, 20, 0xFFFF, 0), 0xFFFFFFFEu);  // no answer given
    EXPECT_EQ(toolkit.faults().size(), 1u);
    user.answerNextFormat(true);
    EXPECT_EQ(toolkit.formatDrive(controls::MainWindow, 25, 0xFFFF, 0), 0xFFFFFFFDu);  // Z: is no partition

    const auto calls = machine_->calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), L"SHFormatDrive U: id=0xFFFF options=0x0");
}

}  // namespace
}  // namespace halvora::sim
