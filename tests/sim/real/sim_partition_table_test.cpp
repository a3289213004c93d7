// Partition tables of real disks as the sim reads them, checked against tables that sgdisk and
// sfdisk write with identities chosen here.

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/real/sim_partition_table.hpp"
#include "host_shell.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

using halvora::testing::runShell;
using halvora::testing::TempFolder;

Guid tableGuid(const std::string& text) { return parseGuid("{" + text + "}").value(); }

TEST(PartitionTable, GptGivesTheDiskAndEveryPartitionAsTheTableHasThem) {
    TempFolder folder;
    const auto disk = folder.path("gpt.img").string();
    ASSERT_EQ(runShell("truncate -s 300M " + disk), 0);
    ASSERT_EQ(
        runShell("sgdisk -U 11111111-2222-4333-8444-555555555555"
                 " -n 1:2048:+100M -t 1:ef00 -c 1:'EFI system partition' -u 1:AAAAAAAA-0000-4000-8000-000000000001"
                 " -n 3:0:+50M -t 3:0700 -c 3:'Basic data' -u 3:AAAAAAAA-0000-4000-8000-000000000003 " +
                 disk),
        0);
    ASSERT_EQ(runShell("mkfs.fat -F 32 -n BOOTFAT --offset 2048 " + disk + " 102400"), 0);

    std::string error;
    const auto layout = readPartitionTable(disk, error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->style, PartitionStyle::Gpt);
    EXPECT_EQ(layout->size, 300ull << 20);
    EXPECT_EQ(layout->gptDiskGuid, tableGuid("11111111-2222-4333-8444-555555555555"));
    ASSERT_EQ(layout->partitions.size(), 2u);

    const RealPartition& esp = layout->partitions[0];
    EXPECT_EQ(esp.number, 1u);
    EXPECT_EQ(esp.offset, 2048u * 512);
    EXPECT_EQ(esp.size, 100ull << 20);
    EXPECT_EQ(esp.gptType, tableGuid("C12A7328-F81F-11D2-BA4B-00A0C93EC93B"));
    EXPECT_EQ(esp.partitionGuid, tableGuid("AAAAAAAA-0000-4000-8000-000000000001"));
    EXPECT_EQ(esp.gptName, L"EFI system partition");
    EXPECT_EQ(esp.fileSystem, L"FAT32");
    EXPECT_EQ(esp.label, L"BOOTFAT");

    // The number is the table's, not the position: a gap at 2 stays a gap.
    const RealPartition& data = layout->partitions[1];
    EXPECT_EQ(data.number, 3u);
    EXPECT_EQ(data.offset, esp.offset + esp.size);
    EXPECT_EQ(data.gptType, kBasicDataGuid);
    EXPECT_EQ(data.partitionGuid, tableGuid("AAAAAAAA-0000-4000-8000-000000000003"));
    EXPECT_EQ(data.fileSystem, L"RAW");  // nothing made on it yet
    EXPECT_EQ(data.label, L"");
}

TEST(PartitionTable, MbrGivesTheSignatureTypesAndTheActiveFlag) {
    TempFolder folder;
    const auto disk = folder.path("mbr.img").string();
    ASSERT_EQ(runShell("truncate -s 200M " + disk), 0);
    ASSERT_EQ(runShell("printf 'label: dos\\nlabel-id: 0x1234abcd\\nstart=2048, size=100MiB, type=7, bootable\\n"
                       "type=c\\n' | sfdisk " +
                       disk),
              0);
    std::string error;
    const auto layout = readPartitionTable(disk, error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->style, PartitionStyle::Mbr);
    EXPECT_EQ(layout->mbrSignature, 0x1234ABCDu);
    ASSERT_EQ(layout->partitions.size(), 2u);
    EXPECT_EQ(layout->partitions[0].mbrType, 0x07);
    EXPECT_TRUE(layout->partitions[0].active);
    EXPECT_EQ(layout->partitions[0].offset, 1u << 20);
    EXPECT_EQ(layout->partitions[1].mbrType, 0x0C);
    EXPECT_FALSE(layout->partitions[1].active);
    EXPECT_EQ(layout->partitions[1].offset, 101u << 20);
}

TEST(PartitionTable, ADiskWithoutATableIsRawAndATableBeyondTheDiskIsRefused) {
    TempFolder folder;
    const auto blank = folder.path("blank.img").string();
    ASSERT_EQ(runShell("truncate -s 10M " + blank), 0);
    std::string error;
    const auto raw = readPartitionTable(blank, error);
    ASSERT_TRUE(raw) << error;
    EXPECT_EQ(raw->style, PartitionStyle::Raw);
    EXPECT_TRUE(raw->partitions.empty());

    // A table written for a larger disk than the image now is (a truncated copy): a partition
    // that runs past the end would let writes land outside the disk.
    const auto cut = folder.path("cut.img").string();
    ASSERT_EQ(runShell("truncate -s 200M " + cut), 0);
    ASSERT_EQ(runShell("printf 'label: dos\\nstart=2048, size=150MiB, type=7\\n' | sfdisk " + cut), 0);
    ASSERT_EQ(runShell("truncate -s 100M " + cut), 0);
    EXPECT_FALSE(readPartitionTable(cut, error));
    EXPECT_NE(error.find("outside the disk"), std::string::npos) << error;

    EXPECT_FALSE(readPartitionTable(folder.path("missing.img"), error));
}

TEST(PartitionTable, NtfsIsFoundWithItsLabel) {
    TempFolder folder;
    const auto volume = folder.path("ntfs.img").string();
    ASSERT_EQ(runShell("truncate -s 20M " + volume), 0);
    ASSERT_EQ(runShell("mkntfs --quick --force --label 'Windows 11' " + volume), 0);
    std::wstring fileSystem, label;
    probeFileSystem(volume, 0, 20u << 20, fileSystem, label);
    EXPECT_EQ(fileSystem, L"NTFS");
    EXPECT_EQ(label, L"Windows 11");
    // Looked at from an offset where nothing starts, it is RAW.
    probeFileSystem(volume, 1u << 20, 10u << 20, fileSystem, label);
    EXPECT_EQ(fileSystem, L"RAW");
}

}  // namespace
}  // namespace halvora::sim
