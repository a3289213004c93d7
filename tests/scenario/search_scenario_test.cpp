// The install-file search on simulated machines: what is found on which drives with which
// options, how a search is stopped, and what choosing a result does. Searches that must be
// caught in the middle are held at a folder listing by the machine's listing gate.

#include "disks/size_text.hpp"
#include "install_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

const std::string kList = "SearchResultList";
const std::int32_t kDriveBackground = 225 + 256 * 225 + 65536 * 220;
const std::int32_t kWimBackground = 254 + 256 * 254 + 65536 * 225;
const std::int32_t kEsdBackground = 254 + 256 * 245 + 65536 * 224;
const std::int32_t kIsoBackground = 251 + 256 * 250 + 65536 * 246;

// Plain fixed drives beside the fixture's C: and D:, each a host folder of the same name.
json plainDrives(SimMachineFixture& m, std::initializer_list<const char*> letters) {
    json drives = json::object();
    for (const char* letter : letters) {
        std::filesystem::create_directories(m.host(letter));
        drives[letter] = m.host(letter).string();
    }
    return {{"drives", drives}};
}

void writeRealWim(SimMachineFixture& m, const std::string& relative) {
    testing::WimPlan plan;
    testing::ImagePlan image;
    image.properties = {{"NAME", "Windows 10 Pro"}, {"WINDOWS/ARCH", "9"}};
    image.files = {{"Windows/System32/config.txt", "content"}};
    plan.images = {image};
    std::filesystem::create_directories(m.host(relative).parent_path());
    ASSERT_EQ(testing::writeWim(m.host(relative), plan), "");
}

// Each row as "column 0 | column 1 | column 2".
std::vector<std::wstring> rows(sim::SimToolkit& ui) {
    std::vector<std::wstring> out;
    for (int r = 0; r < ui.rowCount(kList); ++r) {
        out.push_back(ui.cell(kList, r, 0) + L" | " + ui.cell(kList, r, 1) + L" | " + ui.cell(kList, r, 2));
    }
    return out;
}

std::wstring fileRow(const std::wstring& path, std::int64_t size) { return path + L" | " + sizeText(size) + L" | 1"; }

int rowOf(sim::SimToolkit& ui, const std::wstring& path) {
    for (int r = 0; r < ui.rowCount(kList); ++r) {
        if (ui.cell(kList, r, 0) == path) return r;
    }
    return -1;
}

// The icon of a row as "file,index", or "none".
std::wstring iconOf(sim::SimToolkit& ui, int row) {
    const int icon = ui.rowIcon(kList, row);
    const auto icons = ui.listIcons(kList);
    if (icon < 0 || icon >= static_cast<int>(icons.size())) return L"none";
    const std::wstring& file = icons[icon].file;
    return file.substr(file.find_last_of(L'\\') + 1) + L"," + std::to_wstring(icons[icon].index);
}

bool searchRunning(ProgramRun& run) { return run.program().state.SearchWorkerAlive.load(); }

// Waits until no search runs and the program has handled what the worker posted.
void waitSearchEnded(ProgramRun& run) {
    ASSERT_TRUE(run.user().waitUntil([&run] { return !searchRunning(run); })) << "the search did not end";
    ASSERT_TRUE(run.user().waitIdle());
}

void clickAndWaitSearch(ProgramRun& run, const std::string& button) {
    ASSERT_TRUE(run.user().click(button)) << run.user().lastError();
    waitSearchEnded(run);
}

// Waits until the search is held at the listing of `folder`.
void waitHeldAt(ProgramRun& run, const std::wstring& folder) {
    auto& gate = run.system().machine().listingGate();
    ASSERT_TRUE(run.user().waitUntil([&] { return gate.waiting(folder) == 1; })) << "never listed";
}

TEST(SearchScenario, DepthExclusionsOrderAndTheRowsOfADrive) {
    SimMachineFixture m(json::object());
    m.description().merge_patch(plainDrives(m, {"E"}));
    m.writeHostFile(kSettingsHost, "[HLV_XSET]\r\nScanDepth=1\r\n");
    m.writeHostFile("C/sources/system.wim", "skipped with the system drive");
    m.writeHostFile("E/a/install.wim", "12345");
    m.writeHostFile("E/a/b/install.wim", "too deep");
    m.writeHostFile("E/windows/lower.WIM", "walked: the list names Windows");
    m.writeHostFile("E/Windows/upper.wim", "excluded");
    m.writeHostFile("E/z.swm", "swm");
    m.writeHostFile("E/notes.txt", "nothing");
    m.writeHostFile("E/WIM", "no extension");
    ProgramRun run(m.machine());
    run.start();
    auto& ui = run.ui();

    clickAndWaitSearch(run, "SearchButton");
    EXPECT_TRUE(ui.isVisible(controls::SearchPanel));
    // The host lists byte-wise, so "Windows" comes before "a" and "windows" after it.
    EXPECT_EQ(rows(ui), (std::vector<std::wstring>{L"E:      | 3 | 3", fileRow(L"E:\\a\\install.wim", 5),
                                                   fileRow(L"E:\\windows\\lower.WIM", 30), fileRow(L"E:\\z.swm", 3)}));
    EXPECT_EQ(iconOf(ui, 0), L"imageres.dll,-35");
    EXPECT_EQ(iconOf(ui, 1), L"none");
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(ui.cellColours(kList, 0, column), std::make_pair(-1, kDriveBackground));
        EXPECT_EQ(ui.cellColours(kList, 1, column), std::make_pair(-1, kWimBackground));
    }
    EXPECT_EQ(ui.text(controls::SearchPanelCaption), L"설치 파일 목록");
    EXPECT_EQ(ui.text(controls::SearchBackButton), L"뒤로");
    for (const ControlName& control :
         {controls::ReloadExclusionsButton, controls::ScanDepthSpin, controls::SearchAgainButton,
          controls::SkipOsDriveCheck, controls::IncludeIsoCheck}) {
        EXPECT_TRUE(ui.isEnabled(control)) << control;
    }

    // Depth 2 reaches E:\a\b.
    ASSERT_TRUE(run.user().setSpin("ScanDepthSpin", 2)) << run.user().lastError();
    clickAndWaitSearch(run, "SearchAgainButton");
    EXPECT_EQ(rowOf(ui, L"E:\\a\\b\\install.wim"), 1) << "a folder's entries come in listing order";
    EXPECT_EQ(ui.cell(kList, 0, 1), L"4");
}

TEST(SearchScenario, SkippingTheSystemDrivesAndTheIconOfEachDriveType) {
    SimMachineFixture m(json::object());
    for (const char* folder : {"F", "G", "usb", "cd", "net", "ram"})
        std::filesystem::create_directories(m.host(folder));
    m.description().merge_patch(plainDrives(m, {"F", "G"}));
    m.description().merge_patch(
        {{"disks",
          {{{"number", 1},
            {"style", "MBR"},
            {"removable", true},
            {"bus", 7},
            {"partitions",
             {{{"number", 1}, {"letter", "U"}, {"label", "STICK"}, {"folder", m.host("usb").string()}}}}}}},
         {"cdroms", {{{"letter", "V"}, {"folder", m.host("cd").string()}}}},
         {"otherDrives",
          {{{"letter", "R"}, {"kind", "ramdisk"}, {"folder", m.host("ram").string()}},
           {{"letter", "X"}, {"kind", "network"}, {"folder", m.host("net").string()}}}}});
    m.writeHostFile("C/c.wim", "c");
    m.writeHostFile("F/Windows/System32/winload.efi", "loader");
    m.writeHostFile("F/f.wim", "f");
    m.writeHostFile("G/Windows/System32/winload.exe", "");
    m.writeHostFile("G/g.wim", "g");
    m.writeHostFile("usb/Windows/System32/winload.efi", "loader");
    m.writeHostFile("usb/u.wim", "u");
    for (const char* folder : {"cd", "net", "ram"}) m.writeHostFile(std::string(folder) + "/x.wim", "x");
    ProgramRun run(m.machine());
    run.start();
    auto& ui = run.ui();

    clickAndWaitSearch(run, "SearchButton");
    EXPECT_EQ(rowOf(ui, L"C:\\c.wim"), -1);
    EXPECT_EQ(rowOf(ui, L"F:\\f.wim"), -1) << "a fixed drive with winload.efi holds Windows";
    EXPECT_GE(rowOf(ui, L"G:\\g.wim"), 0) << "an empty winload.exe is no Windows";
    const int stick = rowOf(ui, L"U:     STICK");
    ASSERT_GE(stick, 0) << "a removable drive is searched whatever it holds";
    EXPECT_EQ(iconOf(ui, stick), L"halvora.exe,1");

    ASSERT_TRUE(run.user().click("SkipOsDriveCheck")) << run.user().lastError();
    clickAndWaitSearch(run, "SearchAgainButton");
    std::vector<std::wstring> driveIcons;
    for (int r = 0; r < ui.rowCount(kList); ++r) {
        if (ui.cell(kList, r, 2) == L"3")
            driveIcons.push_back(ui.cell(kList, r, 0).substr(0, 2) + L" " + iconOf(ui, r));
    }
    EXPECT_EQ(driveIcons,
              (std::vector<std::wstring>{L"C: imageres.dll,-36", L"F: imageres.dll,-36", L"G: imageres.dll,-35",
                                         L"R: imageres.dll,-34", L"U: halvora.exe,1", L"V: imageres.dll,-30",
                                         L"X: imageres.dll,-33"}));
    EXPECT_NE(m.readHostFile(kSettingsHost).find("ScanSkipOSDrive=0"), std::string::npos);
}

TEST(SearchScenario, EsdFilesNeedSupportAndIsoFilesNeedSupportAndTheOption) {
    for (const bool windows10 : {true, false}) {
        SCOPED_TRACE(windows10 ? "Windows 10" : "Windows 7");
        SimMachineFixture m(json::object());
        m.description().merge_patch(plainDrives(m, {"E"}));
        if (!windows10) m.description()["windowsVersion"] = {{"major", 6}, {"minor", 1}, {"build", 7601}};
        m.writeHostFile("E/a.esd", "esd");
        m.writeHostFile("E/b.iso", "iso");
        m.writeHostFile("E/c.wim", "wim");
        ProgramRun run(m.machine());
        run.start();
        auto& ui = run.ui();

        clickAndWaitSearch(run, "SearchButton");
        EXPECT_EQ(rowOf(ui, L"E:\\a.esd") >= 0, windows10);
        EXPECT_EQ(rowOf(ui, L"E:\\b.iso"), -1);
        EXPECT_GE(rowOf(ui, L"E:\\c.wim"), 0);

        ASSERT_TRUE(run.user().click("IncludeIsoCheck")) << run.user().lastError();
        clickAndWaitSearch(run, "SearchAgainButton");
        const int iso = rowOf(ui, L"E:\\b.iso");
        EXPECT_EQ(iso >= 0, windows10) << "ISO files need VirtDisk on Windows 8 or later";
        if (windows10) {
            EXPECT_EQ(ui.cellColours(kList, iso, 0).second, kIsoBackground);
            EXPECT_EQ(ui.cellColours(kList, rowOf(ui, L"E:\\a.esd"), 0).second, kEsdBackground);
        }
    }
}

TEST(SearchScenario, AStopByTheUserKeepsWhatWasFoundWhileTheWindowKeepsWorking) {
    SimMachineFixture m(json::object());
    m.description().merge_patch(plainDrives(m, {"E", "F"}));
    m.writeHostFile("E/0/notes.txt", "no install file");
    m.writeHostFile("E/a/1.wim", "1");
    m.writeHostFile("E/b/2.wim", "2");
    m.writeHostFile("F/3.wim", "3");
    ProgramRun run(m.machine());
    run.start();
    auto& ui = run.ui();
    auto& gate = run.system().machine().listingGate();

    gate.hold(L"E:\\b");
    ASSERT_TRUE(run.user().click("SearchButton")) << run.user().lastError();
    waitHeldAt(run, L"E:\\b");
    EXPECT_EQ(ui.text(controls::SearchPanelCaption), L"검색 중...");
    EXPECT_EQ(ui.text(controls::SearchBackButton), L"취소");
    EXPECT_FALSE(ui.isEnabled(controls::SearchAgainButton));
    EXPECT_FALSE(ui.isEnabled(controls::ScanDepthSpin));
    // The interface thread handles the user's clicks while the worker waits.
    ASSERT_TRUE(run.user().clickRow(kList, 1)) << run.user().lastError();
    ASSERT_TRUE(run.user().click("SearchBackButton")) << run.user().lastError();
    EXPECT_TRUE(ui.isVisible(controls::SearchPanel)) << "the first press only stops the search";
    gate.release(L"E:\\b");
    waitSearchEnded(run);
    // The entry in hand when the stop came is still dealt with; F: is never reached.
    EXPECT_EQ(rows(ui), (std::vector<std::wstring>{L"E:      | 2 | 3", fileRow(L"E:\\a\\1.wim", 1),
                                                   fileRow(L"E:\\b\\2.wim", 1)}));
    EXPECT_EQ(ui.text(controls::SearchPanelCaption), L"검색 취소 완료");
    EXPECT_EQ(ui.text(controls::SearchBackButton), L"뒤로");
    EXPECT_TRUE(ui.isEnabled(controls::SearchAgainButton));

    // Stopped before the drive being walked gave anything: its row goes.
    gate.hold(L"E:\\0");
    ASSERT_TRUE(run.user().click("SearchAgainButton")) << run.user().lastError();
    waitHeldAt(run, L"E:\\0");
    EXPECT_EQ(rows(ui), std::vector<std::wstring>{L"E:      |  | 3"});
    ASSERT_TRUE(run.user().click("SearchBackButton")) << run.user().lastError();
    gate.release(L"E:\\0");
    waitSearchEnded(run);
    EXPECT_TRUE(rows(ui).empty());
    EXPECT_EQ(ui.text(controls::SearchPanelCaption), L"검색 취소 완료");

    // A stop that came just as the last search was ending does not end the next one.
    run.program().state.SearchStopRequested = true;
    clickAndWaitSearch(run, "SearchAgainButton");
    EXPECT_EQ(ui.text(controls::SearchPanelCaption), L"설치 파일 목록");
    EXPECT_EQ(ui.rowCount(kList), 5);
    ASSERT_TRUE(run.user().click("SearchBackButton")) << run.user().lastError();
    EXPECT_TRUE(ui.isVisible(controls::MainPanel));
}

TEST(SearchScenario, AnInstallationStartingEndsTheSearchAfterTheCurrentEntry) {
    SimMachineFixture m(json::object());
    m.description().merge_patch(plainDrives(m, {"E", "F"}));
    m.writeHostFile("E/a/1.wim", "1");
    m.writeHostFile("E/b/2.wim", "2");
    m.writeHostFile("E/c.wim", "c");
    m.writeHostFile("F/3.wim", "3");
    ProgramRun run(m.machine());
    run.start();
    auto& gate = run.system().machine().listingGate();

    gate.hold(L"E:\\b");
    ASSERT_TRUE(run.user().click("SearchButton")) << run.user().lastError();
    waitHeldAt(run, L"E:\\b");
    run.program().state.Busy = true;  // what the start of an installation sets
    gate.release(L"E:\\b");
    waitSearchEnded(run);
    run.program().state.Busy = false;
    EXPECT_EQ(rows(run.ui()), (std::vector<std::wstring>{L"E:      | 2 | 3", fileRow(L"E:\\a\\1.wim", 1),
                                                         fileRow(L"E:\\b\\2.wim", 1)}));
    EXPECT_EQ(run.ui().text(controls::SearchPanelCaption), L"설치 파일 목록") << "not stopped by the user";
}

class SearchChoices : public ::testing::Test {
protected:
    void SetUp() override {
        m_.description().merge_patch(plainDrives(m_, {"E"}));
        writeRealWim(m_, "E/a/1.wim");
        writeRealWim(m_, "E/b/2.wim");
        run_ = std::make_unique<ProgramRun>(m_.machine());
        run_->start();
    }
    void choose(const std::wstring& path, bool doubleClick) {
        const int row = rowOf(ui(), path);
        ASSERT_GE(row, 0);
        if (doubleClick) {
            ASSERT_TRUE(user().doubleClickRow(kList, row)) << user().lastError();
        } else {
            ASSERT_TRUE(user().clickRow(kList, row)) << user().lastError();
            ASSERT_TRUE(user().click("SearchDoneButton")) << user().lastError();
        }
    }
    sim::SimToolkit& ui() { return run_->ui(); }
    sim::ScriptedUser& user() { return run_->user(); }

    SimMachineFixture m_{json::object()};
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(SearchChoices, SearchButtonTwiceSearchesOnceAndMarksTheCurrentFile) {
    clickAndWaitSearch(*run_, "SearchButton");
    choose(L"E:\\a\\1.wim", true);
    EXPECT_TRUE(ui().isVisible(controls::MainPanel));
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\a\\1.wim");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 1);

    m_.writeHostFile("E/new.wim", "found by a new search only");
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_FALSE(searchRunning(*run_));
    EXPECT_EQ(rowOf(ui(), L"E:\\new.wim"), -1) << "the kept list is shown";
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\a\\1.wim")), L"Shell32.dll,-16802");

    choose(L"E:\\b\\2.wim", false);
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\a\\1.wim")), L"none");
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\b\\2.wim")), L"Shell32.dll,-16802");
    // A file from elsewhere takes the mark off; choosing 2.wim again brings it back.
    writeRealWim(m_, "D/elsewhere.wim");
    ASSERT_TRUE(user().click("SearchBackButton")) << user().lastError();
    user().answerNextDialog(L"D:\\elsewhere.wim");
    ASSERT_TRUE(user().click("ImageFileButton")) << user().lastError();
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\b\\2.wim")), L"none");
    choose(L"E:\\b\\2.wim", true);
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\b\\2.wim")), L"Shell32.dll,-16802");
    // A new search marks the current file at its end.
    clickAndWaitSearch(*run_, "SearchAgainButton");
    EXPECT_GE(rowOf(ui(), L"E:\\new.wim"), 0);
    EXPECT_EQ(iconOf(ui(), rowOf(ui(), L"E:\\b\\2.wim")), L"Shell32.dll,-16802");
}

TEST_F(SearchChoices, ChoosingDuringASearchStopsItAndAGoneFileLosesItsRow) {
    auto& gate = run_->system().machine().listingGate();
    gate.hold(L"E:\\b");
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    waitHeldAt(*run_, L"E:\\b");
    choose(L"E:\\a\\1.wim", true);
    EXPECT_TRUE(ui().isVisible(controls::MainPanel));
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"E:\\a\\1.wim");
    gate.release(L"E:\\b");
    waitSearchEnded(*run_);
    EXPECT_EQ(ui().text(controls::SearchPanelCaption), L"검색 취소 완료");
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_EQ(iconOf(ui(), 1), L"Shell32.dll,-16802");

    // A file that has gone since: its row goes, and the mark stays on the chosen file.
    std::filesystem::remove(m_.host("E/a/1.wim"));
    writeRealWim(m_, "E/c.wim");
    clickAndWaitSearch(*run_, "SearchAgainButton");
    ASSERT_EQ(rows(ui()).size(), 3u);  // E:, E:\b\2.wim, E:\c.wim
    choose(L"E:\\c.wim", false);
    m_.writeHostFile("E/b/2.wim", "");  // empty files are no choice either
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    choose(L"E:\\b\\2.wim", false);
    EXPECT_TRUE(ui().isVisible(controls::SearchPanel));
    const auto cSize = static_cast<std::int64_t>(std::filesystem::file_size(m_.host("E/c.wim")));
    EXPECT_EQ(rows(ui()), (std::vector<std::wstring>{L"E:      | 2 | 3", fileRow(L"E:\\c.wim", cSize)}));
    EXPECT_EQ(iconOf(ui(), 1), L"Shell32.dll,-16802");
    // The mark moved up with its row: a file chosen elsewhere takes it off that row.
    writeRealWim(m_, "D/elsewhere.wim");
    ASSERT_TRUE(user().click("SearchBackButton")) << user().lastError();
    user().answerNextDialog(L"D:\\elsewhere.wim");
    ASSERT_TRUE(user().click("ImageFileButton")) << user().lastError();
    ASSERT_EQ(ui().text(controls::ImageFileEdit), L"D:\\elsewhere.wim");
    ASSERT_TRUE(user().click("SearchButton")) << user().lastError();
    EXPECT_EQ(iconOf(ui(), 1), L"none");
    // A drive row is never removed.
    ASSERT_TRUE(user().clickRow(kList, 0)) << user().lastError();
    ASSERT_TRUE(user().click("SearchDoneButton")) << user().lastError();
    EXPECT_EQ(ui().rowCount(kList), 2);
    EXPECT_TRUE(user().doubleClickEmpty(kList)) << user().lastError();
    EXPECT_EQ(ui().rowCount(kList), 2);
}

// A drive row reads "E:     Target", which as a path names the file "     Target" in the current
// folder of E:. Choosing the row never opens such a file, nor removes the row.
TEST(SearchScenario, ADriveRowIsNeverTakenForAFile) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeRealWim(m, "E/a/1.wim");
    writeRealWim(m, "E/     Target");
    ProgramRun run(m.machine());
    run.start();
    ASSERT_GT(run.system().fileSize(L"E:     Target"), 0);
    clickAndWaitSearch(run, "SearchButton");
    const int row = rowOf(run.ui(), L"E:     Target");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(run.user().doubleClickRow(kList, row)) << run.user().lastError();
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(run.ui().isVisible(controls::SearchPanel));
    EXPECT_EQ(run.ui().text(controls::ImageFileEdit), L"");
    EXPECT_EQ(rowOf(run.ui(), L"E:     Target"), row);
}

TEST(SearchScenario, TheExclusionListIsReadAgainOnlyWhenAsked) {
    SimMachineFixture m(json::object());
    m.description().merge_patch(plainDrives(m, {"E"}));
    m.writeHostFile("E/Windows/w.wim", "w");
    m.writeHostFile("E/keep/k.wim", "k");
    ProgramRun run(m.machine());
    run.start();
    auto& ui = run.ui();
    clickAndWaitSearch(run, "SearchButton");
    EXPECT_EQ(rowOf(ui, L"E:\\Windows\\w.wim"), -1);
    EXPECT_GE(rowOf(ui, L"E:\\keep\\k.wim"), 0);

    // Windows emptied (so no longer a name), keep added.
    std::string settings = m.readHostFile(kSettingsHost);
    settings.replace(settings.find("Windows=1"), 9, "Windows= \t");
    settings.replace(settings.find("System32=1"), 10, "System32=1\r\nkeep=yes");
    m.writeHostFile(kSettingsHost, settings);
    clickAndWaitSearch(run, "SearchAgainButton");
    EXPECT_EQ(rowOf(ui, L"E:\\Windows\\w.wim"), -1) << "the list is not read for a new search";

    ASSERT_TRUE(run.user().click("ReloadExclusionsButton")) << run.user().lastError();
    clickAndWaitSearch(run, "SearchAgainButton");
    EXPECT_GE(rowOf(ui, L"E:\\Windows\\w.wim"), 0);
    EXPECT_EQ(rowOf(ui, L"E:\\keep\\k.wim"), -1);

    // A file without the group leaves the list as it was.
    m.writeHostFile(kSettingsHost, "[HLV_XSET]\r\nScanDepth=2\r\n");
    ASSERT_TRUE(run.user().click("ReloadExclusionsButton")) << run.user().lastError();
    clickAndWaitSearch(run, "SearchAgainButton");
    EXPECT_EQ(rowOf(ui, L"E:\\keep\\k.wim"), -1);
}

TEST(SearchScenario, ADriveThatCannotBeListedGivesNoRow) {
    SimMachineFixture m(json::object());
    m.description().merge_patch(plainDrives(m, {"E", "F"}));
    m.writeHostFile("E/e.wim", "e");
    m.writeHostFile("F/f.wim", "f");
    m.writeHostFile("G/Windows/System32/winload.exe", "");
    m.writeHostFile("G/g.wim", "g");
    ProgramRun run(m.machine());
    run.start();
    std::filesystem::remove_all(m.host("E"));  // the medium is gone
    clickAndWaitSearch(run, "SearchButton");
    EXPECT_EQ(rows(run.ui()), (std::vector<std::wstring>{L"F:      | 1 | 3", fileRow(L"F:\\f.wim", 1)}));
}

}  // namespace
}  // namespace halvora::scenario
