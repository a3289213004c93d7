// The settings file on simulated machines: first start, stored values, malformed files and
// folders that cannot be written.

#include <algorithm>

#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

const std::string kFreshSettings =
    "\xEF\xBB\xBF"
    "[HLV_XSET]\r\nVersion=0.7\r\nuseUserFontName=Consolas\r\nScanDepth=2\r\nScanSkipOSDrive=1\r\nScanWithISO=0\r\n\r\n"
    "[DefineFontSize]\r\nConsolas=-11\r\n맑은 고딕=-12\r\n굴림체=-10\r\n굴림=-10\r\n돋움체=-10\r\n돋움=-10\r\n"
    "바탕체=-10\r\n바탕=-10\r\n궁서체=-10\r\n궁서=-10\r\n나눔고딕코딩=-10\r\nMalgun Gothic=-12\r\nGulimChe=-10\r\n"
    "Gulim=-10\r\nDotumChe=-10\r\nDotum=-10\r\nBatangChe=-10\r\nBatang=-10\r\nGungsuhChe=-10\r\nGungsuh=-10\r\n"
    "NanumGothicCoding=-10\r\nCourier New=-11\r\nD2Coding=-11\r\nArial=-12\r\nSegoe UI=-12\r\nMS Shell dlg=-13\r\n\r\n"
    "[HLV_COLOR]\r\nLabelTitleColorF=-1\r\nLabelTitleColorB=150, 215, 115\r\nLabelMBoxColorF=-1\r\n"
    "LabelMBoxColorB=225, 232, 223\r\nLabelCmdColorF=115, 90, 180\r\nLabelCmdColorB=-1\r\nLVmatchColorF=-1\r\n"
    "LVmatchColorB=203, 254, 192\r\nFindDriveColorF=-1\r\nFindDriveColorB=225, 225, 220\r\nFindWimColorF=-1\r\n"
    "FindWimColorB=254, 254, 225\r\nFindSwmColorF=-1\r\nFindSwmColorB=254, 254, 225\r\nFindEsdColorF=-1\r\n"
    "FindEsdColorB=254, 245, 224\r\nFindIsoColorF=-1\r\nFindIsoColorB=251, 250, 246\r\n\r\n"
    "[SearchDirExclusionList]\r\nWindows=1\r\nSystem32=1\r\nSysWOW64=1\r\nWinSxS=1\r\nProgram Files=1\r\n"
    "Program Files (x86)=1\r\nProgramData=1\r\nMusic=1\r\nVideo=1\r\nPicture=1\r\n$WinREAgent=1\r\n$WINDOWS.~BT=1\r\n"
    "$windows.~ls=1\r\n$Windows.~WS=1\r\nSystem Volume Information=1\r\nRecycled=1\r\n$Recycle.Bin=1\r\n"
    "Documents And Settings=1\r\nBoot=1\r\nEFI=1\r\nTemp=1\r\ndlmanifests=1\r\netwproviders=1\r\n"
    "replacementmanifests=1\r\n\r\n";

// How often the program read its settings file, by the machine's log of platform calls.
long settingsReads(const sim::SimMachine& machine) {
    const auto calls = machine.calls();
    return std::count(calls.begin(), calls.end(), L"ReadFile " + kSettingsPath);
}

std::string settingsWith(const std::string& mainGroup, const std::string& extra = "") {
    return "\xEF\xBB\xBF[HLV_XSET]\r\n" + mainGroup + "\r\n" + extra;
}

TEST(SettingsScenario, FirstStartWritesEveryKeyWithItsDefault) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(fixture.readHostFile(kSettingsHost), kFreshSettings);
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"Consolas: -11. BcdBoot Ok. VirtDisk.dll Ok. ESD Ok.");
    EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 2);
    EXPECT_TRUE(run.ui().isChecked(controls::SkipOsDriveCheck));
    EXPECT_FALSE(run.ui().isChecked(controls::IncludeIsoCheck));
    // A second start reads the file and changes nothing in it.
    run.user().requestClose("MainWindow");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);
    ProgramRun again(fixture.machine());
    again.start();
    EXPECT_EQ(fixture.readHostFile(kSettingsHost), kFreshSettings);
}

TEST(SettingsScenario, ScanDepthIsKeptBetweenOneAndFour) {
    for (const auto& [stored, shown] : {std::pair{"9", 4}, {"0", 2}, {"abc", 2}, {"3", 3}, {"1", 1}}) {
        SimMachineFixture fixture;
        fixture.writeHostFile(kSettingsHost, settingsWith(std::string("ScanDepth=") + stored));
        ProgramRun run(fixture.machine());
        run.start();
        EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), shown) << stored;
        EXPECT_EQ(run.ui().text(controls::ScanDepthSpin), std::to_wstring(shown)) << stored;
        // The stored text stays as the user wrote it.
        EXPECT_NE(fixture.readHostFile(kSettingsHost).find(std::string("ScanDepth=") + stored + "\r\n"),
                  std::string::npos);
    }
}

TEST(SettingsScenario, StoredSearchOptionsAndColoursAreApplied) {
    SimMachineFixture fixture;
    fixture.writeHostFile(kSettingsHost,
                          settingsWith("ScanSkipOSDrive=0\r\nScanWithISO=1",
                                       "[HLV_COLOR]\r\nLabelTitleColorB=10,20,30\r\nLabelCmdColorF=10,20\r\n\r\n"));
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_FALSE(run.ui().isChecked(controls::SkipOsDriveCheck));
    EXPECT_TRUE(run.ui().isChecked(controls::IncludeIsoCheck));
    const std::int32_t stored = 10 + 256 * 20 + 65536 * 30;
    for (const char* caption : {"TargetPanelCaption", "BootPanelCaption", "SearchPanelCaption"}) {
        EXPECT_EQ(run.ui().colours(caption), (std::pair<std::int32_t, std::int32_t>{-1, stored})) << caption;
    }
    // "10,20" has one comma too few: the default colour is used and the value left alone.
    const std::int32_t defaultCmd = 115 + 256 * 90 + 65536 * 180;
    EXPECT_EQ(run.ui().colours("InfoMark"), (std::pair<std::int32_t, std::int32_t>{defaultCmd, -1}));
    EXPECT_NE(fixture.readHostFile(kSettingsHost).find("LabelCmdColorF=10,20\r\n"), std::string::npos);
}

TEST(SettingsScenario, ChangedSearchOptionsAreWrittenBackAtOnce) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine());
    run.start();
    auto& user = run.user();
    ASSERT_TRUE(user.click("SearchButton"));
    // The options cannot be changed while the search that the button started runs.
    ASSERT_TRUE(user.waitUntil([&run] { return !run.program().state.SearchWorkerAlive.load(); }));
    ASSERT_TRUE(user.setSpin("ScanDepthSpin", 4));
    ASSERT_TRUE(user.click("SkipOsDriveCheck"));
    ASSERT_TRUE(user.click("IncludeIsoCheck"));
    const std::string file = fixture.readHostFile(kSettingsHost);
    EXPECT_NE(file.find("ScanDepth=4\r\nScanSkipOSDrive=0\r\nScanWithISO=1\r\n"), std::string::npos) << file;
}

TEST(SettingsScenario, UnwritableFolderLeavesDefaultsAndAWorkingProgram) {
    SimMachineFixture fixture(json{{"readOnly", {"D:\\Halvora"}}});
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_FALSE(fixture.hostFileExists(kSettingsHost));
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"Consolas: -11. BcdBoot Ok. VirtDisk.dll Ok. ESD Ok.");
    EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 2);
    ASSERT_TRUE(run.user().click("SearchButton"));
    ASSERT_TRUE(run.user().waitUntil([&run] { return !run.program().state.SearchWorkerAlive.load(); }));
    ASSERT_TRUE(run.user().setSpin("ScanDepthSpin", 3));
    EXPECT_FALSE(fixture.hostFileExists(kSettingsHost));
    ASSERT_TRUE(run.user().click("SearchBackButton"));
    run.user().requestClose("MainWindow");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);
}

TEST(SettingsScenario, ReadOnlyExistingFileIsStillRead) {
    SimMachineFixture fixture(json{{"readOnly", {"D:\\Halvora"}}});
    fixture.writeHostFile(kSettingsHost, settingsWith("ScanDepth=3"));
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 3);
    EXPECT_EQ(fixture.readHostFile(kSettingsHost), settingsWith("ScanDepth=3"));
}

TEST(SettingsScenario, LfFileWithoutBomAndUnknownGroupsIsReadAndKept) {
    SimMachineFixture fixture;
    fixture.writeHostFile(kSettingsHost, "[Mine]\nkeep=this\n[HLV_XSET]\nScanDepth=3\nnonsense\n");
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 3);
    EXPECT_GE(settingsReads(*fixture.machine()), 1);
    const std::string file = fixture.readHostFile(kSettingsHost);
    // The user's lines stay as they were, LF ends and no byte-order mark included; what the
    // program adds ends its lines as the file does.
    EXPECT_EQ(file.rfind("[Mine]\nkeep=this\n[HLV_XSET]\nScanDepth=3\nnonsense\nVersion=0.7\n", 0), 0u) << file;
    EXPECT_NE(file.find("\n\n[SearchDirExclusionList]\nWindows=1\n"), std::string::npos);
    EXPECT_EQ(file.find('\r'), std::string::npos);
}

TEST(SettingsScenario, HugeFileIsLeftAloneAndDefaultsApply) {
    SimMachineFixture fixture;
    std::string huge = settingsWith("ScanDepth=3");
    huge += std::string(17 * 1024 * 1024, 'x');
    fixture.writeHostFile(kSettingsHost, huge);
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 2);
    EXPECT_EQ(fixture.readHostFile(kSettingsHost).size(), huge.size());
    // Its size alone says it is not ours: reading it on each of start-up's openings cost seconds.
    EXPECT_EQ(settingsReads(*fixture.machine()), 0);
}

// A complete file padded with a comment to exactly 16 MiB is still read; one byte more is not.
TEST(SettingsScenario, AFileOfExactlySixteenMebibytesIsStillRead) {
    constexpr std::size_t kLimit = 16u * 1024u * 1024u;
    std::string file = kFreshSettings;
    const std::size_t depth = file.find("ScanDepth=2");
    ASSERT_NE(depth, std::string::npos);
    file[depth + 10] = '3';
    for (const std::size_t size : {kLimit, kLimit + 1}) {
        SCOPED_TRACE(size);
        const std::string bytes = file + ";" + std::string(size - file.size() - 3, 'x') + "\r\n";
        ASSERT_EQ(bytes.size(), size);
        SimMachineFixture fixture;
        fixture.writeHostFile(kSettingsHost, bytes);
        ProgramRun run(fixture.machine());
        run.start();
        EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), size == kLimit ? 3 : 2);
        EXPECT_EQ(fixture.readHostFile(kSettingsHost).size(), size) << "nothing was missing, nothing is written";
    }
}

TEST(SettingsScenario, AFileThatCouldNotBeWrittenBackUnchangedIsLeftAloneAndDefaultsApply) {
    // Saved as UTF-16 by an editor, damaged, or ended with bare carriage returns: the program
    // runs on its defaults and does not touch a byte of it, also when an option is changed.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[HLV_XSET]\r\nScanDepth=3\r\n")) utf16 += std::string{c, '\0'};
    for (const std::string& bytes :
         {utf16, settingsWith("ScanDepth=3\xFF\xFE"), std::string("[HLV_XSET]\rScanDepth=3\r")}) {
        SimMachineFixture fixture;
        fixture.writeHostFile(kSettingsHost, bytes);
        ProgramRun run(fixture.machine());
        run.start();
        EXPECT_EQ(run.ui().spinValue(controls::ScanDepthSpin), 2);
        ASSERT_TRUE(run.user().click("SearchButton"));
        ASSERT_TRUE(run.user().waitUntil([&run] { return !run.program().state.SearchWorkerAlive.load(); }));
        ASSERT_TRUE(run.user().click("IncludeIsoCheck"));
        ASSERT_TRUE(run.user().waitIdle(sim::kDefaultWait));
        EXPECT_EQ(fixture.readHostFile(kSettingsHost), bytes);
    }
}

TEST(SettingsScenario, FontSizesTypedOutOfAnyReasonAreKeptWithinBounds) {
    for (const auto& [stored, expected] : std::vector<std::pair<std::string, int>>{{"-2147483648", -72},
                                                                                   {"2147483647", 72},
                                                                                   {"100000000000000", 72},
                                                                                   {"-99999999999999999999", -72},
                                                                                   {"-72", -72},
                                                                                   {"-16", -16}}) {
        SimMachineFixture fixture(json{{"fonts", {"D2Coding"}}});
        fixture.writeHostFile(kSettingsHost, settingsWith("useUserFontName=D2Coding",
                                                          "[DefineFontSize]\r\nD2Coding=" + stored + "\r\n\r\n"));
        ProgramRun run(fixture.machine());
        run.start();
        EXPECT_EQ(run.program().state.FontSize, expected) << stored;
        EXPECT_EQ(
            run.ui().statusText(controls::StatusBar, 3).rfind(L"D2Coding: " + std::to_wstring(expected) + L".", 0), 0u)
            << stored;
        ASSERT_TRUE(run.user().click("InfoMark"));
        EXPECT_EQ(run.ui().windowFont("MessageBox")->height, expected < 0 ? expected - 1 : expected + 1) << stored;
        ASSERT_TRUE(run.user().click("MessageBoxOk"));
    }
}

TEST(SettingsScenario, NonEmptyImagingLogIsDeletedAtStart) {
    SimMachineFixture fixture;
    fixture.writeHostFile("C/Temp/HalvoraWimGAPI.log", "old log");
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_FALSE(fixture.hostFileExists("C/Temp/HalvoraWimGAPI.log"));
}

TEST(SettingsScenario, FeatureReportFollowsTheWindowsVersion) {
    struct Case {
        int major, minor;
        const wchar_t* report;
        bool compactEnabled;
    };
    for (const Case& c : {Case{6, 1, L" 미지원 BcdBoot. ISO 미지원 VirtDisk. ESD 미지원.", false},
                          Case{6, 3, L" BcdBoot Ok. VirtDisk.dll Ok. ESD Ok.", false},
                          Case{10, 0, L" BcdBoot Ok. VirtDisk.dll Ok. ESD Ok.", true}}) {
        SimMachineFixture fixture(json{{"windowsVersion", {{"major", c.major}, {"minor", c.minor}, {"build", 7601}}}});
        ProgramRun run(fixture.machine());
        run.start();
        EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), std::wstring(L"Consolas: -11.") + c.report)
            << c.major << "." << c.minor;
        EXPECT_EQ(run.ui().isMenuItemEnabled(controls::OptionsMenu, 1), c.compactEnabled);
        EXPECT_FALSE(run.ui().isMenuItemEnabled(controls::OptionsMenu, 2));
        EXPECT_EQ(run.program().state.CompactSupported, c.compactEnabled);
    }
}

TEST(SettingsScenario, FontThatIsNotInstalledFallsBackToTheCaptionFont) {
    SimMachineFixture fixture;
    fixture.writeHostFile(kSettingsHost, settingsWith("useUserFontName=Fancy Font"));
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.program().state.FontName, L"Segoe UI");
    EXPECT_EQ(run.program().state.FontSize, -12);
    EXPECT_EQ(run.ui().windowFont("MainWindow")->face, L"Segoe UI");
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3).rfind(L"Segoe UI: -12.", 0), 0u);
    // The user's choice is kept in the file even though it is not installed.
    EXPECT_NE(fixture.readHostFile(kSettingsHost).find("useUserFontName=Fancy Font\r\n"), std::string::npos);
}

TEST(SettingsScenario, StoredFontSizeWinsAndStockFontIsTheLastResort) {
    SimMachineFixture fixture(json{{"fonts", {"D2Coding"}}});
    fixture.description()["smallCaptionFont"] = nullptr;  // the metrics query fails
    fixture.writeHostFile(kSettingsHost,
                          settingsWith("useUserFontName=Missing", "[DefineFontSize]\r\nMS Shell Dlg=-15\r\n\r\n"));
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.program().state.FontName, L"MS Shell Dlg");
    EXPECT_EQ(run.program().state.FontSize, -15);
}

TEST(SettingsScenario, FirstStartWithoutAnyChosenFontUsesTheStockDialogFontsSize) {
    SimMachineFixture fixture(json{{"fonts", {"Arial"}}});
    fixture.description()["smallCaptionFont"] = nullptr;
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.program().state.FontName, L"MS Shell Dlg");
    EXPECT_EQ(run.program().state.FontSize, -13);
    ASSERT_TRUE(run.user().click("InfoMark"));
    EXPECT_EQ(run.ui().windowFont("MessageBox")->height, -14);
    ASSERT_TRUE(run.user().click("MessageBoxOk"));
}

TEST(SettingsScenario, MissingEnvironmentAndVersionResourceStillStart) {
    SimMachineFixture fixture;
    fixture.description()["environment"] = json::object();
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.program().state.SystemRoot, L"");
    EXPECT_EQ(run.program().state.SystemDrive, L"");
    EXPECT_EQ(run.ui().text(controls::MainWindow), L"Halvora   20H1 ADK   WimGAPI v");
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"Consolas: -11. BcdBoot 없슴. VirtDisk.dll 없슴. ESD Ok.");
}

TEST(SettingsScenario, LongSystemDriveIsCutToTwoCharacters) {
    SimMachineFixture fixture(json{{"environment", {{"SYSTEMDRIVE", "C:\\"}}}});
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.program().state.SystemDrive, L"C:");
    EXPECT_EQ(run.program().state.SettingsPath, kSettingsPath);
    EXPECT_EQ(run.program().state.ImagingLogPath, L"C:\\Temp\\HalvoraWimGAPI.log");
}

}  // namespace
}  // namespace halvora::scenario
