// What happens between the confirmation and the running apply: the options that go to the
// imaging library with the apply, the temporary folder on the target, and an image that cannot
// be opened or loaded.

#include "base/utf.hpp"
#include "install_session.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora::scenario {
namespace {

// The imaging calls made after the call log's entry `from`.
std::vector<std::wstring> imagingCallsAfter(sim::SimMachine& machine, long from) {
    std::vector<std::wstring> found;
    const auto calls = machine.calls();
    for (std::size_t i = static_cast<std::size_t>(from) + 1; i < calls.size(); ++i) {
        if (calls[i].starts_with(L"WIM")) found.push_back(calls[i]);
    }
    return found;
}

TEST(ApplyOptions, VerifyAndWimBootChosenInTheMenuGoWithTheApply) {
    const struct {
        std::vector<int> items;
        const wchar_t* summary;
        const wchar_t* apply;
    } cases[] = {
        {{kMenuVerify}, L" Verify", L"WIMApplyImage E:\\ 0x2"},
        {{kMenuWimBoot}, L" WIMboot", L"WIMApplyImage E:\\ 0x2000"},
        {{kMenuWimBoot, kMenuVerify}, L" WIMboot Verify", L"WIMApplyImage E:\\ 0x2002"},
    };
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m, "D/sources/install.wim", wimBootImage());
    auto machine = m.machine();
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.summary));
        machine->clearCalls();
        ProgramRun run(machine, installArguments());
        run.start();
        ASSERT_TRUE(run.ui().isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot)) << "the image allows WIMBoot";
        for (const int item : c.items) {
            ASSERT_TRUE(run.user().click("OptionsButton")) << run.user().lastError();
            ASSERT_TRUE(run.user().chooseMenuItem(controls::OptionsMenu, item)) << run.user().lastError();
        }
        EXPECT_EQ(run.ui().text(controls::OptionSummaryLabel), c.summary);
        startInstallation(run);
        EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(callsContaining(*machine, L"WIMApplyImage"), (std::vector<std::wstring>{c.apply}));
        EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
    }
}

// Compact needs Windows 10's file system; on Windows 8.1 the option stays ticked from the
// command line, but the apply goes without it, and the other options still go.
TEST(ApplyOptions, CompactGoesWithTheApplyOnlyWhereWindowsCanCompact) {
    const struct {
        int major, minor, build;
        bool compactOffered;
        const wchar_t* apply;
    } cases[] = {
        {6, 3, 9600, false, L"WIMApplyImage E:\\ 0x2"},
        {10, 0, 19041, true, L"WIMApplyImage E:\\ 0x4002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.major);
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        m.description()["windowsVersion"] = {{"major", c.major}, {"minor", c.minor}, {"build", c.build}};
        writeInstallImage(m);
        auto machine = m.machine();
        ProgramRun run(machine, installArguments({L"/Compact", L"/Verify"}));
        run.start();
        EXPECT_EQ(run.program().state.CompactSupported, c.compactOffered);
        EXPECT_EQ(run.ui().isMenuItemEnabled(controls::OptionsMenu, kMenuCompact), c.compactOffered);
        EXPECT_TRUE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuCompact));
        startInstallation(run);
        EXPECT_EQ(answerBox(run, "Ok").title, L"알 림!");
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(callsContaining(*machine, L"WIMApplyImage"), (std::vector<std::wstring>{c.apply}));
        EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
    }
}

// The volume goes away (a USB disk pulled out) while the confirmation is open: the temporary
// folder cannot be set on it, the start is given up and the status bar says so, and the window
// is ready again once the volume is back.
TEST(ApplyStart, ATargetGoneBeforeTheStartEndsItAtTheTemporaryFolderAndSaysSo) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    StatusLog status(run);
    run.start();
    const std::size_t shownBefore = status.texts().size();

    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"설치 확인");
    std::filesystem::rename(m.host("E"), m.host("E-away"));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_FALSE(run.ui().isWindow("MessageBox"));
    ASSERT_EQ(status.texts().size(), shownBefore + 1);
    EXPECT_EQ(status.texts().back(), L"임시 경로 설정 오류 발생: 3 E:\\");
    expectIdle(run);
    const long temporary = callIndex(*machine, L"WIMSetTemporaryPath");
    ASSERT_GE(temporary, 0);
    EXPECT_EQ(machine->calls()[static_cast<std::size_t>(temporary)], L"WIMSetTemporaryPath E:\\");
    // Only the opened file is closed again: nothing is loaded or applied.
    EXPECT_EQ(imagingCallsAfter(*machine, temporary), (std::vector<std::wstring>{L"WIMCloseHandle"}));

    std::filesystem::rename(m.host("E-away"), m.host("E"));
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").title, L"알 림!");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(callsContaining(*machine, L"WIMApplyImage"), (std::vector<std::wstring>{L"WIMApplyImage E:\\ 0x0"}));
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

// The image file is replaced by one with fewer images (another program rewrote it) while the
// confirmation is open: the chosen image number is past the last, the image does not load, the
// field says so, and the window is ready for the next try.
TEST(ApplyStart, AnImageNumberPastTheLastFailsToLoadAndTheWindowStaysReady) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    testing::ImagePlan second = windowsLikeImage();
    second.properties[0] = {"NAME", "Windows 10 Home"};
    testing::WimPlan two;
    two.images = {windowsLikeImage(), second};
    std::filesystem::create_directories(m.host("D/sources"));
    ASSERT_EQ(testing::writeWim(m.host("D/sources/install.wim"), two), "");
    writeInstallImage(m, "one.wim");  // outside every drive
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_EQ(run.ui().rowCount(controls::ImageList), 2);
    ASSERT_TRUE(run.user().clickRow("ImageList", 1));
    ASSERT_EQ(run.ui().text(controls::ImageIndexEdit), L"2");

    ASSERT_TRUE(run.user().click("InstallButton"));
    const SeenBox confirm = waitBox(run, L"설치 확인");
    EXPECT_NE(confirm.text.find(L"이미지 번호 : 2\r\n"), std::wstring::npos) << toUtf8(confirm.text);
    std::filesystem::copy_file(m.host("one.wim"), m.host("D/sources/install.wim"),
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_FALSE(run.ui().isWindow("MessageBox"));
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, kStatusMessageField),
              L"Image에 오류가 있습니다. 분할 파일이면 첫번째 파일을 선택하십시오.");
    expectIdle(run);
    const long load = callIndex(*machine, L"WIMLoadImage");
    ASSERT_GE(load, 0);
    EXPECT_EQ(machine->calls()[static_cast<std::size_t>(load)], L"WIMLoadImage 2");
    // Only the opened file is closed again: nothing is applied.
    EXPECT_EQ(imagingCallsAfter(*machine, load), (std::vector<std::wstring>{L"WIMCloseHandle"}));

    // The image that is there now installs.
    ASSERT_TRUE(run.user().clickRow("ImageList", 0));
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(callsContaining(*machine, L"WIMLoadImage"),
              (std::vector<std::wstring>{L"WIMLoadImage 2", L"WIMLoadImage 1"}));
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

// An image that cannot be opened any more when the confirmed installation starts is named in
// the status bar with the library's error.
TEST(ApplyStart, AnImageGoneSinceItWasChosenIsSaid) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m, "D/sources/install.wim");
    ProgramRun run(m.machine(), installArguments());
    run.start();
    ASSERT_TRUE(run.user().click("InstallButton"));
    waitBox(run, L"설치 확인");
    std::filesystem::remove(m.host("D/sources/install.wim"));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, kStatusMessageField),
              L"이미지 파일이 아니거나 손상된 파일 입니다. (에러 코드: 2) D:\\sources\\install.wim");
    expectIdle(run);
    EXPECT_FALSE(m.hostFileExists("E/Windows"));
}

// An image that fails to load after the confirmation stops the imaging log that the start
// began when /Log asked for one, and touches no log when only /Check was asked for.
TEST(ApplyStart, AnImageThatFailsToLoadStopsTheLogOnlyWhenOneWasAskedFor) {
    const struct {
        const wchar_t* option;
        std::vector<std::wstring> after;
    } cases[] = {
        {L"/Log", {L"WIMCloseHandle", L"WIMUnregisterLogFile C:\\Temp\\HalvoraWimGAPI.log"}},
        {L"/Check", {L"WIMCloseHandle"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.option));
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        testing::ImagePlan second = windowsLikeImage();
        second.properties[0] = {"NAME", "Windows 10 Home"};
        testing::WimPlan two;
        two.images = {windowsLikeImage(), second};
        std::filesystem::create_directories(m.host("D/sources"));
        ASSERT_EQ(testing::writeWim(m.host("D/sources/install.wim"), two), "");
        writeInstallImage(m, "one.wim");
        auto machine = m.machine();
        ProgramRun run(machine, installArguments({c.option}));
        run.start();
        ASSERT_TRUE(run.user().clickRow("ImageList", 1));
        ASSERT_TRUE(run.user().click("InstallButton"));
        EXPECT_EQ(waitBox(run).title, L"설치 확인");
        std::filesystem::copy_file(m.host("one.wim"), m.host("D/sources/install.wim"),
                                   std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(run.user().click("MessageBoxYes"));
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(imagingCallsAfter(*machine, callIndex(*machine, L"WIMLoadImage")), c.after);
    }
}

}  // namespace
}  // namespace halvora::scenario
