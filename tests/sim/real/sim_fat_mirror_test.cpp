// The FAT mirror: what the sim changes in the mirror's folder lands on the FAT volume, checked
// by reading the volume with mtools, not through the mirror.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/sim/real/sim_fat_mirror.hpp"
#include "host_shell.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

namespace fs = std::filesystem;
using halvora::testing::runShell;
using halvora::testing::shellOutput;
using halvora::testing::TempFolder;

class FatMirrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        image = folder.path("esp.img").string();
        ASSERT_EQ(runShell("truncate -s 64M " + image), 0);
        ASSERT_EQ(runShell("mkfs.fat -F 32 -n ESP " + image), 0);
        fs::create_directories(folder.path("src/EFI/Vendor"));
        folder.write("src/EFI/Vendor/grub.efi", "grub of another system");
        folder.write("src/EFI/Vendor/old.cfg", "old");
        folder.write("src/readme.txt", "keep me\r\n");
        ASSERT_EQ(runShell("mcopy -s -i " + image + " " + folder.path("src/EFI").string() + " " +
                           folder.path("src/readme.txt").string() + " ::/"),
                  0);
        mirrorFolder = folder.path("mirror");
        fs::create_directories(mirrorFolder);
    }

    std::string onVolume(const std::string& path) { return shellOutput("mtype -i " + image + " ::/" + path); }
    bool existsOnVolume(const std::string& path) { return runShell("mdir -i " + image + " ::/" + path) == 0; }

    TempFolder folder;
    std::string image;
    fs::path mirrorFolder;
};

TEST_F(FatMirrorTest, CopiesTheVolumeAndWritesBackEveryKindOfChangeLeavingTheRestAlone) {
    std::string error;
    auto mirror = FatMirror::open(image, mirrorFolder, error);
    ASSERT_TRUE(mirror) << error;
    // Byte for byte, line endings included (mtools must not convert text).
    std::ifstream readme(mirrorFolder / "readme.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(readme), {}), "keep me\r\n");
    ASSERT_TRUE(fs::exists(mirrorFolder / "EFI/Vendor/grub.efi"));

    fs::create_directories(mirrorFolder / "EFI/Microsoft/Boot");
    std::ofstream(mirrorFolder / "EFI/Microsoft/Boot/BCD", std::ios::binary) << std::string("regf\0\1", 6);
    std::ofstream(mirrorFolder / "EFI/Vendor/old.cfg", std::ios::binary) << "new and longer";
    fs::remove(mirrorFolder / "readme.txt");
    ASSERT_TRUE(mirror->writeBack(error)) << error;

    EXPECT_EQ(onVolume("EFI/Microsoft/Boot/BCD"), std::string("regf\0\1", 6));
    EXPECT_EQ(onVolume("EFI/Vendor/old.cfg"), "new and longer");
    EXPECT_EQ(onVolume("EFI/Vendor/grub.efi"), "grub of another system");  // untouched stays
    EXPECT_FALSE(existsOnVolume("readme.txt"));

    // A folder that goes takes its files with it; a second write-back with no change writes
    // nothing and fails nothing.
    fs::remove_all(mirrorFolder / "EFI/Vendor");
    ASSERT_TRUE(mirror->writeBack(error)) << error;
    ASSERT_TRUE(mirror->writeBack(error)) << error;
    EXPECT_FALSE(existsOnVolume("EFI/Vendor"));
    EXPECT_TRUE(existsOnVolume("EFI/Microsoft/Boot/BCD"));
}

TEST_F(FatMirrorTest, FreeSpaceIsTheVolumesLessWhatTheFolderGrew) {
    std::string error;
    auto mirror = FatMirror::open(image, mirrorFolder, error);
    ASSERT_TRUE(mirror) << error;
    const std::uint64_t before = mirror->freeBytes();
    EXPECT_GT(before, 50ull << 20);
    std::ofstream(mirrorFolder / "big.bin", std::ios::binary) << std::string(1 << 20, 'x');
    EXPECT_EQ(mirror->freeBytes(), before - (1u << 20));
    // mtools' own count agrees once written back, to within the cluster slack of one file.
    ASSERT_TRUE(mirror->writeBack(error)) << error;
    fs::create_directories(folder.path("second"));
    auto again = FatMirror::open(image, folder.path("second"), error);
    ASSERT_TRUE(again) << error;
    EXPECT_LE(before - again->freeBytes(), (1u << 20) + 64 * 1024);
    EXPECT_GE(before - again->freeBytes(), 1u << 20);
}

TEST_F(FatMirrorTest, AVolumeMtoolsCannotReadIsRefused) {
    const auto notFat = folder.write("zeros.img", std::string(1 << 20, '\0'));
    std::string error;
    EXPECT_FALSE(FatMirror::open(notFat.string(), mirrorFolder, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

}  // namespace
}  // namespace halvora::sim
