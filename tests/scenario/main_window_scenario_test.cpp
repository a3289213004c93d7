// The main window as a person meets it: its start values, its views, the options menu, the
// information box and the close rule.

#include "sim_session.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora::scenario {
namespace {

class MainWindowScenario : public ::testing::Test {
protected:
    void SetUp() override { run_.start(); }
    sim::SimToolkit& ui() { return run_.ui(); }
    sim::ScriptedUser& user() { return run_.user(); }

    void expectMainView() {
        for (const char* c : {"TitleBarPanel", "ImageList", "MainPanel", "BottomPanel", "InstallButton"}) {
            EXPECT_TRUE(ui().effectivelyVisible(c)) << c;
        }
        for (const char* p : {"TargetPanel", "BootPanel", "SearchPanel"}) EXPECT_FALSE(ui().effectivelyVisible(p)) << p;
        EXPECT_EQ(ui().rect(controls::ImageList), (Rect{10, 20, 750, 212}));
    }

    SimMachineFixture fixture_;
    ProgramRun run_{fixture_.machine()};
};

TEST_F(MainWindowScenario, StartsInTheMainViewWithItsStartValues) {
    EXPECT_EQ(ui().text(controls::MainWindow), L"Halvora   20H1 ADK   WimGAPI v10.0.19041.1");
    EXPECT_EQ(ui().clientSize("MainWindow"), (Size{770, 510}));
    EXPECT_TRUE(ui().acceptsDroppedFiles("MainWindow"));
    expectMainView();
    EXPECT_EQ(ui().comboItem(controls::AfterInstallCombo, ui().comboSelection(controls::AfterInstallCombo)), L"대기");
    EXPECT_EQ(ui().comboCount(controls::AfterInstallCombo), 4);
    EXPECT_EQ(ui().comboItem(controls::BootFirmwareCombo, ui().comboSelection(controls::BootFirmwareCombo)), L"ALL");
    ASSERT_EQ(ui().comboCount(controls::BootLocaleCombo), 3);
    EXPECT_EQ(ui().comboItem(controls::BootLocaleCombo, 0), L"ko-KR");
    EXPECT_EQ(ui().comboItem(controls::BootLocaleCombo, 1), L"en-us");
    EXPECT_EQ(ui().comboSelection(controls::BootLocaleCombo), 0);
    EXPECT_EQ(ui().text(controls::VersionLabel), L"v0.7.7.0 x64");
    EXPECT_EQ(ui().text(controls::InstallButton), L"설 치");
    EXPECT_EQ(ui().rowCount(controls::TargetRow), 1);
    EXPECT_EQ(ui().rowCount(controls::BootRow), 1);
    EXPECT_EQ(ui().columnCount(controls::TargetDriveList), 13);
    EXPECT_EQ(ui().columnTitle(controls::BootRow, 12), L"BUS.T");
    EXPECT_EQ(ui().columnCount(controls::ImageList), 12);
    EXPECT_EQ(ui().columnAlignment(controls::SearchResultList, 1), ColumnAlign::Right);
    EXPECT_EQ(ui().columnWidth(controls::SearchResultList, 1), 85);
    EXPECT_EQ(ui().statusFields("StatusBar"), (std::vector<int>{60, 110, 135, -1}));
    EXPECT_EQ(ui().progress(controls::StatusBar), 0);
    EXPECT_TRUE(ui().taskbar().created);
    EXPECT_EQ(ui().windowFont("MainWindow")->face, L"Consolas");
    EXPECT_EQ(ui().windowFont("MainWindow")->height, -11);
}

TEST_F(MainWindowScenario, TooltipsComeInOrderWithTheirFonts) {
    const auto tips = ui().tooltips();
    ASSERT_EQ(tips.size(), 21u);
    EXPECT_EQ(tips.front().control, controls::ImageFileButton);
    EXPECT_EQ(tips.front().title, L"필수 선택");
    EXPECT_EQ(tips.front().icon, 1);
    EXPECT_TRUE(tips.front().programFont);
    EXPECT_EQ(tips[9].control, controls::TargetFormatButton);
    EXPECT_EQ(tips[9].icon, 2);
    EXPECT_FALSE(tips[9].programFont);
    EXPECT_EQ(tips[19].control, controls::SkipOsDriveCheck);
    EXPECT_EQ(tips[19].text,
              L"다음에 해당되는 드라이브는 검색 생략합니다.\r1. 윈도우가 설치 되어 있는 드라이브\r"
              L"2. \\Windows\\System32\\winload.exe\r3. \\Windows\\System32\\winload.efi");
    EXPECT_EQ(tips.back().control, controls::IncludeIsoCheck);
}

TEST_F(MainWindowScenario, PanelsReplaceTheMainViewAndComeBack) {
    const std::pair<const char*, const char*> pickers[] = {{"TargetButton", "TargetCancelButton"},
                                                           {"BootButton", "BootCancelButton"},
                                                           {"SearchButton", "SearchBackButton"}};
    for (const auto& [open, back] : pickers) {
        ASSERT_TRUE(user().click(open)) << user().lastError();
        // The search panel starts a search; "뒤로" would only stop it while it runs.
        ASSERT_TRUE(user().waitUntil([this] { return !run_.program().state.SearchWorkerAlive.load(); }));
        for (const char* c : {"TitleBarPanel", "ImageList", "MainPanel", "BottomPanel", "InstallButton"}) {
            EXPECT_FALSE(ui().effectivelyVisible(c)) << open << " " << c;
        }
        ASSERT_TRUE(user().click(back)) << user().lastError();
        expectMainView();
    }
    // Done without a chosen row keeps the picker open.
    ASSERT_TRUE(user().click("TargetButton"));
    ASSERT_TRUE(user().click("TargetDoneButton"));
    EXPECT_TRUE(ui().effectivelyVisible("TargetPanel"));
}

TEST_F(MainWindowScenario, EnlargedImageListTogglesBackToExactlyTheMainView) {
    ASSERT_TRUE(user().click("ImageListSizeToggle"));
    EXPECT_EQ(ui().rect(controls::ImageList), (Rect{10, 20, 750, 462}));
    EXPECT_EQ(ui().text(controls::ImageListSizeToggle), L"◼");
    EXPECT_TRUE(ui().effectivelyVisible("ImageList"));
    EXPECT_TRUE(ui().effectivelyVisible("TitleBarPanel"));
    for (const char* c : {"MainPanel", "BottomPanel", "InstallButton", "TargetPanel", "SearchPanel"}) {
        EXPECT_FALSE(ui().effectivelyVisible(c)) << c;
    }
    ASSERT_TRUE(user().click("ImageListSizeToggle"));
    EXPECT_EQ(ui().text(controls::ImageListSizeToggle), L"◾");
    expectMainView();
}

TEST_F(MainWindowScenario, ImageColumnsToggleSwitchesItsMark) {
    ASSERT_TRUE(user().click("ImageColumnsToggle"));
    EXPECT_EQ(ui().text(controls::ImageColumnsToggle), L"◼");
    ASSERT_TRUE(user().click("ImageColumnsToggle"));
    EXPECT_EQ(ui().text(controls::ImageColumnsToggle), L"◾");
}

TEST_F(MainWindowScenario, OptionsMenuKeepsCompactAndWimBootApart) {
    // The image list enables WIMboot for WIMboot images; here the test does it.
    ui().setMenuItemEnabled(controls::OptionsMenu, 2, true);
    auto choose = [this](int item) {
        ASSERT_TRUE(user().click("OptionsButton"));
        ASSERT_EQ(ui().menuOpenFor("OptionsMenu"), "MainWindow");
        ASSERT_TRUE(user().chooseMenuItem("OptionsMenu", item)) << user().lastError();
    };
    choose(2);
    EXPECT_TRUE(ui().isMenuItemChecked(controls::OptionsMenu, 2));
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L" WIMboot");
    choose(1);
    EXPECT_TRUE(ui().isMenuItemChecked(controls::OptionsMenu, 1));
    EXPECT_FALSE(ui().isMenuItemChecked(controls::OptionsMenu, 2));
    choose(5);
    choose(3);
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L" Compact Verify Log");
    choose(2);
    EXPECT_FALSE(ui().isMenuItemChecked(controls::OptionsMenu, 1));
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L" WIMboot Verify Log");
    choose(2);
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L" Verify Log");
}

TEST_F(MainWindowScenario, ClearButtonsEmptyTheirFields) {
    ui().setText(controls::OemEdit, L"D:\\oem");
    ui().setText(controls::XmlEdit, L"D:\\unattend.xml");
    ui().setCell(controls::BootRow, 0, 0, L"S:");
    ui().setCellColours(controls::BootRow, 0, 1, 1, 2);
    ui().setText(controls::BootUsedLabel, L"1 GB");
    ASSERT_TRUE(user().click("OemClearButton"));
    ASSERT_TRUE(user().click("XmlClearButton"));
    ASSERT_TRUE(user().click("BootClearButton"));
    EXPECT_EQ(ui().text(controls::OemEdit), L"");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"");
    EXPECT_EQ(ui().cell(controls::BootRow, 0, 0), L"");
    EXPECT_EQ(ui().cellColours(controls::BootRow, 0, 1), (std::pair<std::int32_t, std::int32_t>{-1, -1}));
    EXPECT_EQ(ui().text(controls::BootUsedLabel), L"");
}

TEST_F(MainWindowScenario, ClickOnAnImageRowFillsIndexAndDescription) {
    std::vector<std::wstring> row(12);
    row[0] = L"2";
    row[6] = L"Windows 10 Pro";
    ui().addRow(controls::ImageList, std::vector<std::wstring>(12, L"x"));
    ui().addRow(controls::ImageList, row);
    ASSERT_TRUE(user().clickRow("ImageList", 1));
    EXPECT_EQ(ui().text(controls::ImageIndexEdit), L"2");
    EXPECT_EQ(ui().text(controls::DescriptionEdit), L"Windows 10 Pro");
}

TEST_F(MainWindowScenario, InformationBoxShowsVersionsAndUsage) {
    ASSERT_TRUE(user().click("InfoMark"));
    ASSERT_TRUE(ui().isWindow("MessageBox"));
    EXPECT_EQ(ui().text(controls::MessageBox), L"프로그램 정보");
    const std::wstring text = ui().text(controls::MessageBoxText);
    EXPECT_EQ(text.rfind(L"Halvora v0.7.7.0 x64\r\n20H1 ADK\r\nWimGAPI v10.0.19041.1\r\nWindows 8 이상 호환\r\n\r\n"
                         L"-- 명령행 도움말 --\r\n/ImageFile:<설치 이미지 파일 위치>\r\n",
                         0),
              0u);
    const std::wstring ending =
        L"\r\n\r\n예제>\r\n/ImageFile:\"Sample.wim\" /Index:1 /ApplyDrv:C: /after:Finish /Compact /d";
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
    EXPECT_NE(text.find(L"[/d]         \t- 기존의 기본 Windows 부팅 항목을 보존.\r\n"), std::wstring::npos);
    EXPECT_EQ(ui().iconOf("MessageBoxIcon")->index, -16783);
    EXPECT_FALSE(ui().isEnabled(controls::MainWindow));
    ASSERT_TRUE(user().click("MessageBoxOk"));
    EXPECT_FALSE(ui().isWindow("MessageBox"));
    EXPECT_TRUE(ui().isEnabled(controls::MainWindow));
}

TEST_F(MainWindowScenario, CloseIsRefusedWhileBusyAndAcceptedWhenIdle) {
    run_.program().state.Busy = true;  // as an installation would have it
    user().requestClose("MainWindow");
    EXPECT_FALSE(run_.ended());
    run_.program().state.Busy = false;
    run_.program().state.SearchWorkerAlive = true;
    user().requestClose("MainWindow");
    EXPECT_FALSE(run_.ended());
    run_.program().state.SearchWorkerAlive = false;
    user().requestClose("MainWindow");
    ASSERT_TRUE(run_.ended(sim::kDefaultWait));
    EXPECT_EQ(run_.exitCode(), 0);
    EXPECT_EQ(run_.program().state.AfterAction, 3);
    EXPECT_FALSE(ui().isWindow("MainWindow"));
}

TEST_F(MainWindowScenario, CompletionEventDuringABoxIsHandledAfterIt) {
    ASSERT_TRUE(user().click("InfoMark"));
    run_.program().state.Busy = true;
    user().postCustom(kApplyFailed, 0, 0);
    ASSERT_TRUE(user().waitIdle(sim::kDefaultWait));
    EXPECT_EQ(ui().text(controls::MessageBox), L"프로그램 정보");  // the information box is still the one open
    ASSERT_TRUE(user().click("MessageBoxOk"));
    // The held failure now runs: its own report box, then the program is idle again.
    ASSERT_TRUE(ui().isWindow("MessageBox"));
    EXPECT_EQ(ui().text(controls::MessageBox), L"에 러");
    EXPECT_EQ(ui().text(controls::MessageBoxText), L"중단 완료. \r\n에러 코드: 0");
    EXPECT_EQ(ui().iconOf("MessageBoxIcon")->index, -240);
    ASSERT_TRUE(user().click("MessageBoxOk"));
    EXPECT_FALSE(run_.program().state.Busy.load());
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3), L"중단 완료. 에러 코드: 0");
    EXPECT_TRUE(ui().isEnabled(controls::InstallButton));
}

// The button comes back only for a cancel still pending in a busy window: not while the boot
// configuration of a completed apply keeps the window busy, nor for a cancel left over once idle.
TEST_F(MainWindowScenario, CancelTimerGivesTheButtonBackOnlyWhileACancelIsPending) {
    const struct {
        bool busy;
        bool cancel;
    } cases[] = {{true, true}, {true, false}, {false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.busy ? "busy" : "idle") + (c.cancel ? ", cancel pending" : ""));
        run_.program().state.Busy = c.busy;
        run_.program().state.CancelRequested = c.cancel;
        ui().setEnabled(controls::InstallButton, false);
        ui().setTimer(controls::MainWindow, 500, 10000);
        user().advance(10000);
        EXPECT_EQ(ui().isEnabled(controls::InstallButton), c.busy && c.cancel);
        EXPECT_FALSE(ui().timerInterval("MainWindow", 500).has_value());
    }
    run_.program().state.Busy = false;
    run_.program().state.CancelRequested = false;
}

}  // namespace
}  // namespace halvora::scenario

namespace halvora::scenario {
namespace {

std::vector<std::wstring> privilegeAndShutdownCalls(sim::SimMachine& machine) {
    std::vector<std::wstring> calls;
    for (const auto& call : machine.calls()) {
        if (call.rfind(L"AdjustTokenPrivileges", 0) == 0 || call.rfind(L"InitiateSystemShutdownW", 0) == 0) {
            calls.push_back(call);
        }
    }
    return calls;
}

TEST(ExitSequence, ShutdownOrRestartIsRequestedOnlyForTheirChoices) {
    const std::pair<int, std::vector<std::wstring>> cases[] = {
        {kAfterShutdown,
         {L"AdjustTokenPrivileges SeShutdownPrivilege 2", L"InitiateSystemShutdownW Exit 1 noforce poweroff"}},
        {kAfterReboot,
         {L"AdjustTokenPrivileges SeShutdownPrivilege 2", L"InitiateSystemShutdownW Exit 1 noforce reboot"}},
        {kAfterFinish, {}},
        {kAfterReady, {}},
    };
    for (const auto& [action, expected] : cases) {
        SimMachineFixture fixture;
        ProgramRun run(fixture.machine());
        run.start();
        run.program().state.AfterAction = action;  // as a confirmed after-install choice leaves it
        run.program().state.ExitCode = 3;
        run.user().requestClose("MainWindow");
        ASSERT_TRUE(run.ended(sim::kDefaultWait));
        EXPECT_EQ(run.exitCode(), 3) << action;
        EXPECT_EQ(privilegeAndShutdownCalls(*fixture.machine()), expected) << action;
        // The window is gone before the request is made.
        EXPECT_FALSE(run.ui().isWindow("MainWindow"));
    }
}

TEST(ExitSequence, FailedWindowCreationEndsWithThePlatformError) {
    SimMachineFixture fixture;
    sim::SimSystem system(fixture.machine(), {});
    sim::SimToolkit toolkit(fixture.machine());
    toolkit.failWindowCreation("MainWindow", 1407);  // ERROR_CANNOT_FIND_WND_CLASS
    EXPECT_EQ(runProgram(system, toolkit), 1407);
    EXPECT_FALSE(toolkit.isWindow("MainWindow"));
    EXPECT_TRUE(privilegeAndShutdownCalls(*fixture.machine()).empty());
}

}  // namespace
}  // namespace halvora::scenario
