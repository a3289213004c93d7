// ISO files as install images: attached on the simulated machine as CD-ROM drives, in two
// slots, and detached when the program ends.

#include "base/utf.hpp"
#include "images/iso_image.hpp"
#include "images/iso_mount.hpp"
#include "iso_factory.hpp"
#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

testing::WimPlan oneImage(const std::string& name) {
    testing::ImagePlan image;
    image.properties = {{"NAME", name}, {"WINDOWS/ARCH", "9"}};
    image.files = {{"Windows/System32/a.txt", name}};
    testing::WimPlan plan;
    plan.images = {image};
    return plan;
}

class IsoScenario : public ::testing::Test {
protected:
    // D:\<name> holding what `files` lists (relative path -> a WIM image name, or "" for a plain file).
    void makeIso(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files,
                 testing::WimCompression compression = testing::WimCompression::Lzx) {
        const auto folder = fixture_.host("iso-src/" + name);
        std::filesystem::create_directories(folder);
        for (const auto& [path, image] : files) {
            std::filesystem::create_directories((folder / path).parent_path());
            if (image.empty()) {
                std::ofstream(folder / path) << "readme";
            } else {
                testing::WimPlan plan = oneImage(image);
                plan.compression = compression;
                ASSERT_EQ(testing::writeWim(folder / path, plan), "");
            }
        }
        ASSERT_EQ(testing::makeIso(folder, fixture_.host("D/" + name)), "");
    }
    void start(std::vector<std::wstring> arguments = {}) {
        run_ = std::make_unique<ProgramRun>(fixture_.machine(), std::move(arguments));
        run_->start();
    }
    void choose(const std::wstring& path) {
        run_->user().answerNextDialog(path);
        ASSERT_TRUE(run_->user().click("ImageFileButton")) << run_->user().lastError();
    }
    int callsStartingWith(const std::wstring& prefix) {
        int count = 0;
        for (const auto& call : fixture_.machine()->calls()) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }
    bool driveExists(const wchar_t* root) { return fixture_.machine()->hostPath(root).has_value(); }
    sim::SimToolkit& ui() { return run_->ui(); }

    SimMachineFixture fixture_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(IsoScenario, AnIsoIsAttachedOnceAndItsInstallFileListed) {
    makeIso("win10.iso", {{"sources/install.wim", "Windows 10 Pro"}});
    start();
    choose(L"D:\\win10.iso");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Windows 10 Pro");
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3).rfind(L"ISO 탑재: E:\\ D:\\win10.iso", 0), std::wstring::npos)
        << "the image's summary replaces the attach message";
    choose(L"D:\\win10.iso");  // the same ISO again: no second attach, the same root
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    EXPECT_EQ(callsStartingWith(L"AttachVirtualDisk"), 1);

    ASSERT_TRUE(run_->user().requestClose("MainWindow"));
    EXPECT_EQ(run_->exitCode(), 0);
    EXPECT_EQ(callsStartingWith(L"DetachVirtualDisk"), 1);
    EXPECT_FALSE(driveExists(L"E:\\"));
}

TEST_F(IsoScenario, TheIsoHoldingTheChosenFileKeepsItsSlotAndTheOtherSlotIsReused) {
    makeIso("a.iso", {{"sources/install.wim", "A"}});
    makeIso("b.iso", {{"readme.txt", ""}});
    makeIso("c.iso", {{"sources/install.wim", "C"}});
    start();
    choose(L"D:\\a.iso");
    ASSERT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    // b.iso holds no install file: the requester opens in its root; cancelling keeps A's file.
    run_->user().answerNextDialog(L"D:\\b.iso");
    run_->user().answerNextDialog(L"");
    ASSERT_TRUE(run_->user().click("ImageFileButton"));
    EXPECT_TRUE(driveExists(L"F:\\"));
    std::vector<std::wstring> dialogs;
    for (const auto& call : fixture_.machine()->calls()) {
        if (call.rfind(L"GetOpenFileNameW", 0) == 0) dialogs.push_back(call);
    }
    ASSERT_GE(dialogs.size(), 3u);
    EXPECT_NE(dialogs.back().find(L"start=F:\\ "), std::wstring::npos) << toUtf8(dialogs.back());
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    // A third ISO replaces b.iso in slot 1; a.iso, holding the chosen file, stays attached.
    choose(L"D:\\c.iso");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"F:\\sources\\install.wim");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"C");
    EXPECT_TRUE(driveExists(L"E:\\"));
    EXPECT_EQ(callsStartingWith(L"DetachVirtualDisk"), 1);
    EXPECT_EQ(fixture_.machine()->hostPath(L"E:\\sources\\install.wim").has_value(), true);

    ASSERT_TRUE(run_->user().requestClose("MainWindow"));
    EXPECT_EQ(run_->exitCode(), 0);
    EXPECT_FALSE(driveExists(L"E:\\"));
    EXPECT_FALSE(driveExists(L"F:\\"));
}

TEST_F(IsoScenario, ExtensionsAndSupportDecideWhatAnIsoYields) {
    makeIso("esd.iso", {{"sources/install.esd", "E"}}, testing::WimCompression::Solid);
    makeIso("image.Iso", {{"sources/install.wim", "Mixed case"}});
    fixture_.writeHostFile("D/noext", "no extension");
    start();
    choose(L"D:\\image.Iso");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Mixed case");
    choose(L"D:\\noext");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim")
        << "a file without extension changes nothing";

    run_->program().state.EsdSupported = false;
    choose(L"D:\\esd.iso");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Mixed case") << "an ESD inside an ISO needs ESD support";
    run_->program().state.EsdSupported = true;
    choose(L"D:\\esd.iso");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"F:\\sources\\install.esd");
}

// An install file of no bytes in an ISO is passed over for the next one.
TEST_F(IsoScenario, AnEmptyInstallFileInAnIsoIsPassedOver) {
    const auto folder = fixture_.host("iso-src/parts.iso");
    std::filesystem::create_directories(folder / "sources");
    std::ofstream(folder / "sources/install.wim").close();
    ASSERT_EQ(testing::writeWim(folder / "sources/install.swm", oneImage("Second")), "");
    ASSERT_EQ(testing::makeIso(folder, fixture_.host("D/parts.iso")), "");
    start();
    choose(L"D:\\parts.iso");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.swm");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Second");
}

TEST_F(IsoScenario, DroppedAndCommandLineIsosAreAttachedToo) {
    makeIso("a.iso", {{"sources/install.wim", "A"}});
    makeIso("b.iso", {{"sources/install.wim", "B"}});
    start({L"/ImageFile:D:\\a.iso", L"/Index:1"});
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    ASSERT_TRUE(run_->user().dropFiles("MainWindow", {L"D:\\b.iso"}));
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"F:\\sources\\install.wim");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"B");
}

TEST_F(IsoScenario, WithoutVirtDiskAnIsoYieldsNothingAndTheProgramWorksOn) {
    std::filesystem::remove(fixture_.host("C/Windows/System32/VirtDisk.dll"));
    makeIso("a.iso", {{"sources/install.wim", "A"}});
    fixture_.writeHostFile("D/sources/install.wim", "");
    ASSERT_EQ(testing::writeWim(fixture_.host("D/sources/install.wim"), oneImage("Plain")), "");
    start();
    choose(L"D:\\a.iso");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 0);
    EXPECT_EQ(callsStartingWith(L"OpenVirtualDisk"), 0);
    choose(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Plain");
}

// On Windows the mount manager gives an attached ISO its letter a moment after the attach
// returns: the program waits for it (with its window answering) instead of finding none.
TEST_F(IsoScenario, AnIsoWhoseLetterComesLateIsStillListed) {
    fixture_.description()["isoLetterDelay"] = 1500;
    makeIso("win10.iso", {{"sources/install.wim", "Windows 10 Pro"}});
    start();
    const std::uint64_t before = ui().now();
    choose(L"D:\\win10.iso");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\sources\\install.wim");
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Windows 10 Pro");
    EXPECT_GE(ui().now() - before, 1500u) << "the program waited for the letter";
    EXPECT_LT(ui().now() - before, 2000u) << "and not longer than needed";
}

TEST_F(IsoScenario, AnIsoThatNeverGetsALetterIsDetachedAndTheProgramStaysAsItWas) {
    fixture_.description()["isoLetterDelay"] = 60000;
    makeIso("win10.iso", {{"sources/install.wim", "Windows 10 Pro"}});
    ASSERT_EQ(testing::writeWim(fixture_.host("D/plain.wim"), oneImage("Plain")), "");
    start();
    choose(L"D:\\plain.wim");
    ASSERT_EQ(ui().cell(controls::ImageList, 0, 1), L"Plain");
    const std::uint64_t before = ui().now();
    choose(L"D:\\win10.iso");
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3), kIsoWithoutLetterText + L"D:\\win10.iso");
    EXPECT_GE(ui().now() - before, 10000u);
    EXPECT_LT(ui().now() - before, 11000u) << "the wait is bounded";
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\plain.wim");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 1);
    EXPECT_EQ(ui().cell(controls::ImageList, 0, 1), L"Plain");
    EXPECT_EQ(callsStartingWith(L"DetachVirtualDisk"), 1) << "the letterless disc is taken away again";
    // Its late letter never turns up for a disc that is gone.
    ASSERT_TRUE(run_->user().advance(60000));
    EXPECT_FALSE(driveExists(L"E:\\"));
}

TEST_F(IsoScenario, AMissingIsoIsReported) {
    start();
    run_->program().state.IsoSupported = true;
    EXPECT_EQ(resolveIsoImage(run_->program(), L"D:\\gone.iso"), L"");
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3), L"ISO 파일 경로가 잘못 되었습니다. D:\\gone.iso");
}

}  // namespace
}  // namespace halvora::scenario
