// The disks of the simulated machine: how a description gives them, the records their volumes
// answer, the DOS-device name space and the drive enumerations over it.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/sim/sim_machine.hpp"
#include "platform/sim/sim_text.hpp"

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
        const char* field;
    };
    const Case cases[] = {
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1}]}]})", "disks[0].partitions[0].folder"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "letter": "D", "folder": "x"}]}]})",
         "disks[0].partitions[0].letter"},
        {R"({"cdroms": [{"letter": "c", "folder": "x"}]})", "cdroms[0].letter"},
        {R"({"disks": [{"number": 2, "style": "MBR"}, {"number": 2, "style": "GPT"}]})", "disks[1].number"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a"},
                                                                      {"number": 1, "folder": "b"}]}]})",
         "disks[0].partitions[1].number"},
        {R"({"disks": [{"number": 0, "style": "APM"}]})", "disks[0].style"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "mbrType": 7, "folder": "a"}]}]})",
         "disks[0].partitions[0].mbrType"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a",
             "gptType": "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}"}]}]})",
         "disks[0].partitions[0].gptType"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptType": "{EBD0A0A2-B9E5-4433-87C0-68B6B72699CZ}"}]}]})",
         "disks[0].partitions[0].gptType"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptType": "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"}]}]})",
         "disks[0].partitions[0].gptType"},
        {R"({"disks": [{"number": 0, "style": "GPT", "partitions": [{"number": 1, "folder": "a",
             "gptName": "0123456789012345678901234567890123456"}]}]})",
         "disks[0].partitions[0].gptName"},
        {R"({"disks": [{"number": 0, "style": "MBR", "partitions": [{"number": 1, "folder": "a", "mbrType": 256}]}]})",
         "disks[0].partitions[0].mbrType"},
        {R"({"disks": [{"style": "MBR"}]})", "disks[0].number"},
        {R"({"disks": [{"number": -1, "style": "MBR"}]})", "disks[0].number"},
        {R"({"otherDrives": [{"letter": "Y", "kind": "floppy", "folder": "x"}]})", "otherDrives[0].kind"},
        {R"({"disks": {"number": 0}})", "disks"},
    };
    for (const auto& c : cases) {
        json description = twoDisks();
        description.merge_patch(json::parse(c.patch));
        std::string error;
        EXPECT_FALSE(SimMachine::fromJson(description, error)) << c.patch;
        EXPECT_NE(error.find(std::string("\"") + c.field + "\""), std::string::npos) << c.patch << " gave: " << error;
    }
}

}  // namespace
}  // namespace halvora::sim
