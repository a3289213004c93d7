// The file calls of the simulated machine: attributes, folders, copies and listings, with the
// refusals Windows gives (read-only and hidden destinations, existing files, full volumes).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "folder_contents.hpp"
#include "base/utf.hpp"
#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

// The fixture's machine with a small volume S: of 100 bytes and a write-protected folder.
class SimFiles : public ::testing::Test {
protected:
    SimFiles()
        : machine_(json::parse(R"({
              "disks": [{"number": 0, "style": "MBR",
                         "partitions": [{"number": 1, "letter": "S", "size": 100, "folder": "small"}]}],
              "readOnly": ["D:\\Locked"]
          })")) {
        fs::create_directories(machine_.host("small"));
        machine_.writeHostFile("D/Locked/keep.txt", "kept");
        system_ = std::make_unique<sim::SimSystem>(machine_.machine());
    }

    bool lastCallFailedWith(std::uint32_t error) {
        const auto calls = machine_.machine()->calls();
        return !calls.empty() && calls.back().ends_with(L" -> error " + std::to_wstring(error));
    }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
};

TEST_F(SimFiles, AttributesRoundTripAndReadOnlyIsTheHostsWritePermission) {
    sim::SimSystem& s = *system_;
    ASSERT_TRUE(s.writeFile(L"D:\\a.txt", "abc"));
    EXPECT_EQ(s.fileAttributes(L"D:\\A.TXT"), kFileAttributeArchive);  // a new file, any spelling
    EXPECT_EQ(s.fileAttributes(L"D:\\Halvora"), kFileAttributeDirectory);
    EXPECT_EQ(s.fileAttributes(L"D:\\missing.txt"), kInvalidFileAttributes);
    EXPECT_FALSE(s.setFileAttributes(L"D:\\missing.txt", kFileAttributeHidden));

    ASSERT_TRUE(s.setFileAttributes(L"D:\\a.txt", kFileAttributeHidden | kFileAttributeSystem));
    EXPECT_EQ(s.fileAttributes(L"D:\\a.txt"), kFileAttributeHidden | kFileAttributeSystem);
    ASSERT_TRUE(s.setFileAttributes(L"D:\\a.txt", kFileAttributeReadOnly | kFileAttributeArchive));
    EXPECT_EQ(s.fileAttributes(L"D:\\a.txt"), kFileAttributeReadOnly | kFileAttributeArchive);
    EXPECT_FALSE(sim::hostWritable(machine_.host("D/a.txt")));
    ASSERT_TRUE(s.setFileAttributes(L"D:\\a.txt", kFileAttributeNormal));
    EXPECT_EQ(s.fileAttributes(L"D:\\a.txt"), kFileAttributeNormal);
    EXPECT_TRUE(sim::hostWritable(machine_.host("D/a.txt")));

    // Folders keep their marks; the directory bit stays whatever is asked.
    ASSERT_TRUE(s.setFileAttributes(L"D:\\Halvora", kFileAttributeHidden | kFileAttributeReadOnly));
    EXPECT_EQ(s.fileAttributes(L"D:\\Halvora"),
              kFileAttributeDirectory | kFileAttributeHidden | kFileAttributeReadOnly);

    // The marks belong to the file, not to the letter it was reached by.
    ASSERT_TRUE(s.setFileAttributes(L"D:\\a.txt", kFileAttributeHidden));
    std::uint32_t error = 0;
    ASSERT_TRUE(s.volumes().defineDosDevice(1, L"X:", L"\\Device\\SimFolderDriveD", error));
    EXPECT_EQ(s.fileAttributes(L"X:\\a.txt"), kFileAttributeHidden);

    // A deleted file's marks do not come back with a new file of the same name.
    ASSERT_TRUE(s.deleteFile(L"D:\\a.txt"));
    ASSERT_TRUE(s.writeFile(L"D:\\a.txt", "new"));
    EXPECT_EQ(s.fileAttributes(L"D:\\a.txt"), kFileAttributeArchive);

    EXPECT_FALSE(s.setFileAttributes(L"D:\\Locked\\keep.txt", kFileAttributeHidden));
    EXPECT_TRUE(lastCallFailedWith(19));
}

TEST_F(SimFiles, ReadOnlyAndHiddenDestinationsAreNotReplaced) {
    sim::SimSystem& s = *system_;
    machine_.writeHostFile("D/new.txt", "new contents");
    machine_.writeHostFile("D/old.txt", "old");
    ASSERT_TRUE(s.setFileAttributes(L"D:\\old.txt", kFileAttributeReadOnly));

    EXPECT_FALSE(s.copyFile(L"D:\\new.txt", L"D:\\old.txt", false));
    EXPECT_TRUE(lastCallFailedWith(5));
    EXPECT_FALSE(s.writeFile(L"D:\\old.txt", "x"));
    EXPECT_FALSE(s.deleteFile(L"D:\\old.txt"));
    EXPECT_EQ(machine_.readHostFile("D/old.txt"), "old");

    ASSERT_TRUE(s.setFileAttributes(L"D:\\old.txt", kFileAttributeHidden));
    EXPECT_FALSE(s.copyFile(L"D:\\new.txt", L"D:\\old.txt", false));
    EXPECT_FALSE(s.writeFile(L"D:\\old.txt", "x"));  // as CreateFileW with FILE_ATTRIBUTE_NORMAL
    EXPECT_EQ(machine_.readHostFile("D/old.txt"), "old");

    // Cleared, the same copy goes through, and the copy takes the source's attributes.
    ASSERT_TRUE(s.setFileAttributes(L"D:\\old.txt", kFileAttributeNormal));
    ASSERT_TRUE(s.setFileAttributes(L"D:\\new.txt", kFileAttributeReadOnly | kFileAttributeSystem));
    ASSERT_TRUE(s.copyFile(L"D:\\new.txt", L"D:\\old.txt", false));
    EXPECT_EQ(machine_.readHostFile("D/old.txt"), "new contents");
    EXPECT_EQ(s.fileAttributes(L"D:\\old.txt"), kFileAttributeReadOnly | kFileAttributeSystem);

    EXPECT_FALSE(s.copyFile(L"D:\\new.txt", L"D:\\Locked\\copy.txt", false));
    EXPECT_TRUE(lastCallFailedWith(19));
    EXPECT_FALSE(machine_.hostFileExists("D/Locked/copy.txt"));
}

TEST_F(SimFiles, CopyFailsIfAskedWhenTheDestinationExistsAndForMissingPlaces) {
    sim::SimSystem& s = *system_;
    machine_.writeHostFile("D/from.txt", "from");
    machine_.writeHostFile("D/to.txt", "to");

    EXPECT_FALSE(s.copyFile(L"D:\\from.txt", L"D:\\to.txt", true));
    EXPECT_TRUE(lastCallFailedWith(80));
    EXPECT_EQ(machine_.readHostFile("D/to.txt"), "to");
    ASSERT_TRUE(s.copyFile(L"D:\\from.txt", L"C:\\fresh.txt", true));
    EXPECT_EQ(machine_.readHostFile("C/fresh.txt"), "from");
    ASSERT_TRUE(s.copyFile(L"D:\\from.txt", L"D:\\to.txt", false));
    EXPECT_EQ(machine_.readHostFile("D/to.txt"), "from");

    EXPECT_FALSE(s.copyFile(L"D:\\nothing.txt", L"D:\\x.txt", false));
    EXPECT_TRUE(lastCallFailedWith(2));
    EXPECT_FALSE(s.copyFile(L"D:\\from.txt", L"D:\\no\\such\\x.txt", false));
    EXPECT_TRUE(lastCallFailedWith(3));
    EXPECT_FALSE(s.copyFile(L"D:\\from.txt", L"D:\\FROM.TXT", false));  // onto itself
    EXPECT_TRUE(lastCallFailedWith(32));
    EXPECT_EQ(machine_.readHostFile("D/from.txt"), "from");
}

TEST_F(SimFiles, CreateFolderMakesOneLevel) {
    sim::SimSystem& s = *system_;
    ASSERT_TRUE(s.createFolder(L"D:\\Out"));
    EXPECT_TRUE(fs::is_directory(machine_.host("D/Out")));
    EXPECT_FALSE(s.createFolder(L"D:\\out"));
    EXPECT_TRUE(lastCallFailedWith(183));
    EXPECT_FALSE(s.createFolder(L"D:\\Deep\\Er"));
    EXPECT_TRUE(lastCallFailedWith(3));
    EXPECT_FALSE(s.createFolder(L"D:\\Locked\\Sub"));
    EXPECT_TRUE(lastCallFailedWith(19));
}

TEST_F(SimFiles, ListingIsSortedByNameBytesWithAttributesAndSizes) {
    sim::SimSystem& s = *system_;
    machine_.writeHostFile("D/List/b", "bb");
    machine_.writeHostFile("D/List/B", "B");
    machine_.writeHostFile("D/List/a.txt", "aaaa");
    machine_.writeHostFile("D/List/Sub/inner", "not counted");
    ASSERT_TRUE(s.setFileAttributes(L"D:\\List\\a.txt", kFileAttributeHidden));

    const auto entries = s.listFolder(L"D:\\list");
    ASSERT_TRUE(entries);
    std::vector<std::wstring> names;
    for (const auto& e : *entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"B", L"Sub", L"a.txt", L"b"}));
    EXPECT_EQ((*entries)[1].attributes, kFileAttributeDirectory);
    EXPECT_EQ((*entries)[1].size, 0u);
    EXPECT_EQ((*entries)[2].attributes, kFileAttributeHidden);
    EXPECT_EQ((*entries)[2].size, 4u);
    EXPECT_EQ((*entries)[3].size, 2u);

    fs::create_directories(machine_.host("D/Empty"));
    ASSERT_TRUE(s.listFolder(L"D:\\Empty"));
    EXPECT_TRUE(s.listFolder(L"D:\\Empty")->empty());
    EXPECT_FALSE(s.listFolder(L"D:\\Missing"));
    EXPECT_FALSE(s.listFolder(L"D:\\List\\b"));  // a file
    EXPECT_FALSE(s.listFolder(L"Q:\\"));         // no such drive
}

TEST_F(SimFiles, HostLinksLeadingOutOfTheDriveAreNotFollowedByAnyCall) {
    sim::SimSystem& s = *system_;
    machine_.writeHostFile("C/Secret/keep.txt", "kept");
    machine_.writeHostFile("D/a.txt", "a");
    fs::create_symlink(machine_.host("C/Secret"), machine_.host("D/Out"));
    fs::create_symlink("../C/Secret/keep.txt", machine_.host("D/out.txt"));
    fs::create_symlink("../C/Secret/new.txt", machine_.host("D/new.txt"));  // C: has no such file yet
    const auto before = testing::folderContents(machine_.host("C"));

    std::string bytes;
    EXPECT_FALSE(s.readFile(L"D:\\Out\\keep.txt", bytes));
    EXPECT_FALSE(s.readFile(L"D:\\out.txt", bytes));
    EXPECT_EQ(s.fileSize(L"D:\\out.txt"), -1);
    EXPECT_FALSE(s.folderExists(L"D:\\Out"));
    EXPECT_EQ(s.fileAttributes(L"D:\\Out\\keep.txt"), kInvalidFileAttributes);
    EXPECT_FALSE(s.listFolder(L"D:\\Out"));
    EXPECT_FALSE(s.listFolder(L"D:\\out\\"));

    // A path that leads nowhere: 3 where a place is named, 2 where a file is.
    EXPECT_EQ(sim::files::write(*machine_.machine(), L"D:\\Out\\keep.txt", "x", sim::files::HiddenFile::Refuse), 3u);
    EXPECT_EQ(sim::files::write(*machine_.machine(), L"D:\\new.txt", "x", sim::files::HiddenFile::Refuse), 3u);
    EXPECT_FALSE(s.writeFile(L"D:\\out.txt", "x"));
    EXPECT_FALSE(s.copyFile(L"D:\\a.txt", L"D:\\Out\\a.txt", false));
    EXPECT_TRUE(lastCallFailedWith(3));
    EXPECT_FALSE(s.copyFile(L"D:\\out.txt", L"D:\\copy.txt", false));
    EXPECT_TRUE(lastCallFailedWith(2));
    EXPECT_FALSE(s.createFolder(L"D:\\Out\\Sub"));
    EXPECT_TRUE(lastCallFailedWith(3));
    EXPECT_FALSE(s.deleteFile(L"D:\\Out\\keep.txt"));
    EXPECT_TRUE(lastCallFailedWith(2));
    EXPECT_FALSE(s.setFileAttributes(L"D:\\out.txt", kFileAttributeReadOnly));
    EXPECT_TRUE(lastCallFailedWith(2));
    EXPECT_EQ(testing::folderContents(machine_.host("C")), before);
    EXPECT_FALSE(machine_.hostFileExists("D/copy.txt"));

    // What such a link leads to takes no room on the volume: S: has 100 bytes, all free.
    machine_.writeHostFile("C/Secret/big.bin", std::string(200, 'b'));
    fs::create_symlink(machine_.host("C/Secret/big.bin"), machine_.host("small/big.bin"));
    machine_.writeHostFile("D/fifty.bin", std::string(50, 'f'));
    EXPECT_TRUE(s.copyFile(L"D:\\fifty.bin", L"S:\\fifty.bin", false));

    // The listing of D:\ shows the links without looking where they lead.
    const auto entries = s.listFolder(L"D:\\");
    ASSERT_TRUE(entries);
    for (const wchar_t* link : {L"Out", L"new.txt", L"out.txt"}) {
        const auto it = std::find_if(entries->begin(), entries->end(), [&](const auto& e) { return e.name == link; });
        ASSERT_NE(it, entries->end()) << toUtf8(link);
        EXPECT_EQ(it->attributes, sim::files::kAttributeReparsePoint) << toUtf8(link);
        EXPECT_EQ(it->size, 0u) << toUtf8(link);
    }
}

TEST_F(SimFiles, HostLinksWithinTheDriveAreFollowed) {
    sim::SimSystem& s = *system_;
    fs::create_symlink("Halvora", machine_.host("D/Inner"));
    machine_.writeHostFile("D/Halvora/a.txt", "a");
    fs::create_symlink("Halvora/a.txt", machine_.host("D/a-link.txt"));

    ASSERT_TRUE(s.writeFile(L"D:\\Inner\\b.txt", "b"));
    EXPECT_EQ(machine_.readHostFile("D/Halvora/b.txt"), "b");
    std::string bytes;
    ASSERT_TRUE(s.readFile(L"D:\\a-link.txt", bytes));
    EXPECT_EQ(bytes, "a");
    ASSERT_TRUE(s.copyFile(L"D:\\a-link.txt", L"D:\\inner\\c.txt", false));
    EXPECT_EQ(machine_.readHostFile("D/Halvora/c.txt"), "a");
    const auto inner = s.listFolder(L"D:\\Inner");
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->size(), 3u);
    const auto root = s.listFolder(L"D:\\");
    ASSERT_TRUE(root);
    const auto link = std::find_if(root->begin(), root->end(), [](const auto& e) { return e.name == L"Inner"; });
    ASSERT_NE(link, root->end());
    EXPECT_EQ(link->attributes, kFileAttributeDirectory);
    ASSERT_TRUE(s.deleteFile(L"D:\\Inner\\b.txt"));
    EXPECT_FALSE(machine_.hostFileExists("D/Halvora/b.txt"));
}

TEST_F(SimFiles, CopyOntoAFullVolumeFailsWithDiskFull) {
    sim::SimSystem& s = *system_;
    machine_.writeHostFile("small/held.bin", std::string(60, 'h'));
    machine_.writeHostFile("D/fifty.bin", std::string(50, 'f'));
    machine_.writeHostFile("D/one.bin", "1");

    EXPECT_FALSE(s.copyFile(L"D:\\fifty.bin", L"S:\\new.bin", false));  // 60 + 50 > 100
    EXPECT_TRUE(lastCallFailedWith(112));
    EXPECT_FALSE(machine_.hostFileExists("small/new.bin"));
    // Replacing a file frees its bytes first: 50 in place of 60.
    ASSERT_TRUE(s.copyFile(L"D:\\fifty.bin", L"S:\\held.bin", false));
    ASSERT_TRUE(s.copyFile(L"D:\\fifty.bin", L"S:\\second.bin", false));  // exactly full
    EXPECT_FALSE(s.copyFile(L"D:\\one.bin", L"S:\\third.bin", false));
    EXPECT_TRUE(lastCallFailedWith(112));
    EXPECT_FALSE(s.writeFile(L"S:\\third.bin", "1"));
}

}  // namespace
}  // namespace halvora::scenario
