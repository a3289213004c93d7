// Files held open on the simulated machine: while the imaging library has a WIM or a part of a
// split set open, nobody replaces, writes or deletes it (32, ERROR_SHARING_VIOLATION); reading
// it and changing its attributes still work, and once the last hold is gone, all of it works
// again.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/files/sim_open_files.hpp"
#include "sim_session.hpp"
#include "temp_folder.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

TEST(SimOpenFiles, HoldsAreCountedAndFindTheFileWhateverReachesIt) {
    testing::TempFolder t;
    t.write("d/Sources/install.wim", "wim");
    fs::create_symlink("Sources", t.path("d/link"));
    sim::OpenFiles open;
    EXPECT_FALSE(open.isOpen(t.path("d/Sources/install.wim")));

    auto first = std::make_unique<sim::OpenFiles::Hold>(open.open(t.path("d/Sources/install.wim")));
    EXPECT_TRUE(open.isOpen(t.path("d/Sources/install.wim")));
    EXPECT_TRUE(open.isOpen(t.path("d/SOURCES/Install.WIM"))) << "names compare without case";
    EXPECT_TRUE(open.isOpen(t.path("d/link/install.wim"))) << "a link to it reaches the same file";
    EXPECT_TRUE(open.isOpenAt(fs::canonical(t.root()) / "d/sources/INSTALL.wim"));
    EXPECT_FALSE(open.isOpen(t.path("d/Sources")));
    EXPECT_FALSE(open.isOpen(t.path("d/Sources/install.wim2")));

    sim::OpenFiles::Hold second = open.open(t.path("d/link/INSTALL.WIM"));
    sim::OpenFiles::Hold moved = std::move(second);  // one hold still, now in `moved`
    first.reset();
    EXPECT_TRUE(open.isOpen(t.path("d/Sources/install.wim"))) << "the second hold keeps it open";
    moved = sim::OpenFiles::Hold();
    EXPECT_FALSE(open.isOpen(t.path("d/Sources/install.wim")));
}

class SimOpenFilesTest : public ::testing::Test {
protected:
    SimOpenFilesTest() {
        testing::WimPlan plan;
        plan.images = {testing::ImagePlan{{{"NAME", "Data"}}, {{"a.txt", "a"}}}};
        fs::create_directories(machine_.host("D/sources"));
        EXPECT_EQ(testing::writeWim(machine_.host("D/sources/install.wim"), plan), "");
        wim_ = machine_.readHostFile("D/sources/install.wim");
        fs::copy_file(machine_.host("D/sources/install.wim"), machine_.host("D/sources/copy.wim"));
        system_ = std::make_unique<sim::SimSystem>(machine_.machine());
    }

    ImagingLibrary& imaging() { return system_->imaging(); }
    WimHandle open(const std::wstring& path) {
        const WimHandle handle =
            imaging().createFile(path, kWimGenericRead, kWimOpenExisting, kWimFlagSolidAllowed, 0, nullptr);
        EXPECT_NE(handle, 0u) << imaging().lastError();
        return handle;
    }
    // What replacing the file answers now, by writing it and by copying onto it: 0 or the error.
    struct Changes {
        std::uint32_t write, copyOnto;
        bool operator==(const Changes&) const = default;
    };
    Changes changes(const std::wstring& path) {
        sim::SimMachine& machine = *machine_.machine();
        return Changes{sim::files::write(machine, path, wim_, sim::files::HiddenFile::Refuse),
                       sim::files::copy(machine, L"D:\\sources\\copy.wim", path, false)};
    }
    std::uint32_t removeError(const std::wstring& path) { return sim::files::remove(*machine_.machine(), path); }
    bool isOpen(const std::string& relative) { return machine_.machine()->openFiles().isOpen(machine_.host(relative)); }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
    std::string wim_;
};

TEST_F(SimOpenFilesTest, AnOpenWimIsNotReplacedWrittenOrDeletedUntilItsLastHandleCloses) {
    sim::SimSystem& s = *system_;
    const WimHandle file = open(L"D:\\sources\\install.wim");
    const Changes refused{32, 32};
    EXPECT_EQ(changes(L"D:\\SOURCES\\Install.WIM"), refused);
    EXPECT_EQ(removeError(L"d:\\sources\\INSTALL.wim"), 32u);
    EXPECT_FALSE(s.deleteFile(L"D:\\sources\\install.wim"));
    EXPECT_EQ(machine_.machine()->calls().back(), L"DeleteFileW D:\\sources\\install.wim -> error 32");
    EXPECT_EQ(imaging().registerLogFile(L"D:\\sources\\install.wim", 0) ? 0u : imaging().lastError(), 32u);

    // Reading it, copying from it and changing its attributes are not refused.
    std::string bytes;
    ASSERT_TRUE(s.readFile(L"D:\\sources\\install.wim", bytes));
    EXPECT_EQ(bytes, wim_);
    EXPECT_TRUE(s.copyFile(L"D:\\sources\\install.wim", L"D:\\second.wim", false));
    EXPECT_TRUE(s.setFileAttributes(L"D:\\sources\\install.wim", kFileAttributeHidden));
    EXPECT_TRUE(s.setFileAttributes(L"D:\\sources\\install.wim", kFileAttributeNormal));
    EXPECT_EQ(machine_.readHostFile("D/sources/install.wim"), wim_);

    // An image loaded from it keeps it open after its file handle is closed; a second open of
    // the same file is a second hold.
    const WimHandle image = imaging().loadImage(file, 1);
    ASSERT_NE(image, 0u);
    const WimHandle again = open(L"D:\\sources\\install.wim");
    ASSERT_TRUE(imaging().closeHandle(file));
    EXPECT_EQ(changes(L"D:\\sources\\install.wim"), refused);
    ASSERT_TRUE(imaging().closeHandle(image));
    EXPECT_EQ(removeError(L"D:\\sources\\install.wim"), 32u) << "the second handle is still open";
    ASSERT_TRUE(imaging().closeHandle(again));

    EXPECT_EQ(changes(L"D:\\sources\\install.wim"), (Changes{0, 0}));
    EXPECT_EQ(removeError(L"D:\\sources\\install.wim"), 0u);
    EXPECT_FALSE(machine_.hostFileExists("D/sources/install.wim"));
}

TEST_F(SimOpenFilesTest, ThePartsOfASplitSetAreHeldFromWimSetReferenceFileOn) {
    testing::WimPlan big;
    big.images = {testing::ImagePlan{
        {{"NAME", "Data"}},
        {{"a.bin", testing::pseudoRandomText(300000, 1)}, {"b.bin", testing::pseudoRandomText(300000, 2)}}}};
    ASSERT_EQ(testing::writeWim(machine_.host("whole.wim"), big), "");
    ASSERT_EQ(testing::splitWim(machine_.host("whole.wim"), machine_.host("D/sources/install.swm"), 350000), "");
    ASSERT_TRUE(machine_.hostFileExists("D/sources/install2.swm"));
    machine_.writeHostFile("D/sources/install3.swm", "not a part");

    const WimHandle file = open(L"D:\\sources\\install.swm");
    EXPECT_FALSE(isOpen("D/sources/install2.swm")) << "not referenced yet";
    ASSERT_TRUE(imaging().setReferenceFile(file, L"D:\\sources\\install2.swm", kWimReferenceAppend));
    EXPECT_TRUE(isOpen("D/sources/install2.swm"));
    EXPECT_EQ(removeError(L"D:\\sources\\install2.swm"), 32u);
    EXPECT_EQ(changes(L"D:\\sources\\INSTALL2.swm"), (Changes{32, 32}));

    // A new list lets the parts of the old one go.
    ASSERT_TRUE(imaging().setReferenceFile(file, L"D:\\sources\\install3.swm", 0));
    EXPECT_TRUE(isOpen("D/sources/install3.swm"));
    EXPECT_FALSE(isOpen("D/sources/install2.swm"));
    EXPECT_TRUE(isOpen("D/sources/install.swm"));
    ASSERT_TRUE(imaging().closeHandle(file));
    EXPECT_FALSE(isOpen("D/sources/install3.swm"));
    EXPECT_EQ(removeError(L"D:\\sources\\install3.swm"), 0u);
    EXPECT_EQ(removeError(L"D:\\sources\\install.swm"), 0u);
}

}  // namespace
}  // namespace halvora::scenario
