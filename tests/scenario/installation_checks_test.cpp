// What is checked before an installation starts, what the confirmation says, and the starts
// from the command line.

#include <wimlib.h>

#include "base/utf.hpp"
#include "install_session.hpp"

namespace halvora::scenario {
namespace {

bool applied(sim::SimMachine& machine) { return !callsContaining(machine, L"WIMApplyImage").empty(); }

TEST(InstallChecks, TheRunningSystemsDriveIsRefused) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ImageFile:D:\\sources\\install.wim", L"/Index:1", L"/ApplyDrv:C:"});
    run.start();
    ASSERT_EQ(run.ui().cell(controls::TargetRow, 0, 0), L"C:");
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_FALSE(run.ui().isWindow("MessageBox")) << "nothing to confirm";
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3),
              L"선택한 설치 위치는 현재 사용 중인 시스템 드라이브 입니다.");
    expectIdle(run);
    EXPECT_FALSE(applied(*machine));
}

TEST(InstallChecks, AnImageLargerThanTheFreeSpaceIsRefusedWithBothSizesInBytes) {
    SimMachineFixture m;
    testing::ImagePlan image = windowsLikeImage();
    image.files.emplace_back("Windows/System32/big.dll", testing::pseudoRandomText(40000, 7));
    writeInstallImage(m, "D/sources/install.wim", image);
    // What the image says it needs, as its metadata gives it.
    WIMStruct* wim = nullptr;
    ASSERT_EQ(wimlib_open_wim(m.host("D/sources/install.wim").c_str(), 0, &wim), 0);
    const long long need = std::stoll(wimlib_get_image_property(wim, 1, "TOTALBYTES"));
    wimlib_free(wim);
    ASSERT_GT(need, 40000);
    const long long free = need / 2;
    m.description().merge_patch(installMachine(m));
    m.description()["disks"][1]["partitions"][1]["size"] = free;
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_FALSE(run.ui().isWindow("MessageBox"));
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3),
              L"설치 공간 부족.  설치 용량: " + std::to_wstring(need) + L"  남은 공간: " + std::to_wstring(free));
    expectIdle(run);
    EXPECT_FALSE(applied(*machine));
}

// The image fitted when the install location was chosen; another program has filled the
// volume since. The click measures the free space again and refuses with the new figure.
TEST(InstallChecks, TheFreeSpaceIsMeasuredAgainWhenTheInstallationIsAskedFor) {
    SimMachineFixture m;
    testing::ImagePlan image = windowsLikeImage();
    image.files.emplace_back("Windows/System32/big.dll", testing::pseudoRandomText(40000, 7));
    writeInstallImage(m, "D/sources/install.wim", image);
    WIMStruct* wim = nullptr;
    ASSERT_EQ(wimlib_open_wim(m.host("D/sources/install.wim").c_str(), 0, &wim), 0);
    const long long need = std::stoll(wimlib_get_image_property(wim, 1, "TOTALBYTES"));
    wimlib_free(wim);
    m.description().merge_patch(installMachine(m));
    m.description()["disks"][1]["partitions"][1]["size"] = need + 10000;
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_EQ(run.ui().cell(controls::TargetRow, 0, 0), L"E:");
    m.writeHostFile("E/other/download.bin", std::string(20000, 'x'));
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_FALSE(run.ui().isWindow("MessageBox"));
    const std::wstring shown = run.ui().statusText(controls::StatusBar, 3);
    EXPECT_EQ(shown.rfind(L"설치 공간 부족.  설치 용량: " + std::to_wstring(need) + L"  남은 공간: ", 0), 0u)
        << toUtf8(shown);
    EXPECT_EQ(run.ui().cell(controls::TargetRow, 0, 10), shown.substr(shown.rfind(L' ') + 1));
    expectIdle(run);
    EXPECT_FALSE(applied(*machine));
}

TEST(InstallChecks, ATargetOnTheUsbBusIsWarnedAboutByItsDriveType) {
    const struct {
        bool removable;
        const wchar_t* warning;
    } cases[] = {
        {true, L"\r\n*USB 에서의 설치 속도는 매우 느립니다."},
        {false, L"\r\n*외장 디스크는\r\n시스템 환경에 따라 설치 속도가 느려질 수 있습니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.removable ? "removable" : "fixed");
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m, {{"bus", 7}, {"removable", c.removable}}));
        writeInstallImage(m);
        auto machine = m.machine();
        ProgramRun run(machine, installArguments());
        run.start();
        ASSERT_EQ(run.ui().cell(controls::TargetRow, 0, 0), L"E:");
        ASSERT_TRUE(run.user().click("InstallButton"));
        const SeenBox confirm = answerBox(run, "No");
        const std::wstring boot = run.ui().cell(controls::BootRow, 0, 0);
        EXPECT_EQ(confirm.text,
                  L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 : " + boot + c.warning);
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_FALSE(applied(*machine)) << "No starts nothing";
    }
}

TEST(InstallChecks, ABusyStateThatNoWorkerWillEndIsClearedThroughTheFailurePath) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    StatusLog status(run);
    run.start();
    run.program().state.Busy = true;  // left set, with the install button still usable
    ASSERT_TRUE(run.user().click("InstallButton"));
    const SeenBox box = answerBox(run, "Ok");
    EXPECT_EQ(box.title, L"에 러");
    EXPECT_EQ(box.text, L"중단 완료. \r\n에러 코드: 0");
    EXPECT_EQ(box.icon, -240);
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(status.showed(L"작업이 진행 중입니다."));
    expectIdle(run);
    EXPECT_TRUE(callsContaining(*machine, L"WIMLoadImage").empty());
    EXPECT_FALSE(applied(*machine));
}

// A cancel that an earlier failure left asked for is finished before anything new starts: the
// click ends in the error box of a cancel, and the next click installs.
TEST(InstallChecks, ACancelLeftOverFromAnEarlierFailureIsFinishedThroughTheFailurePath) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    StatusLog status(run);
    run.start();
    run.program().state.CancelRequested = true;
    ASSERT_TRUE(run.user().click("InstallButton"));
    const SeenBox box = answerBox(run, "Ok");
    EXPECT_EQ(box.title, L"에 러");
    EXPECT_EQ(box.text, L"사용자 취소. 중단 완료. \r\n에러 코드: 0");
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(status.showed(L"에러 처리가 완료되지 않았습니다."));
    expectIdle(run);
    EXPECT_FALSE(applied(*machine));

    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").title, L"알 림!");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

// The boot location chosen with the install location is gone by the time the installation is
// confirmed: the confirmation says that Bcdboot is left out instead of naming it.
TEST(InstallChecks, ABootLocationGoneBeforeTheConfirmationIsLeftOut) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_EQ(run.ui().cell(controls::BootRow, 0, 0), L"Q:");
    std::filesystem::remove_all(m.host("esp1"));
    ASSERT_TRUE(run.user().click("InstallButton"));
    const SeenBox confirm = answerBox(run, "Yes");
    EXPECT_EQ(confirm.title, L"설치 확인");
    EXPECT_EQ(confirm.text,
              L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n"
              L"부팅 위치 생략(Bcdboot 생략). ");
    const SeenBox summary = answerBox(run, "Ok");
    EXPECT_EQ(summary.text, L"이미지 설치 완료.\r\n*부팅 위치 생략. \r\n\r\n");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(callsContaining(*machine, L"Bcdboot.exe").empty());
}

TEST(CommandLineInstall, TheUsageExampleInstallsWithItsOptionsAndEnds) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m, "D/Halvora/Sample.wim");
    auto machine = m.machine();
    // /ImageFile:"Sample.wim" as Windows splits it: the quotes are gone, and the name is found
    // in the current folder, which is the program's own.
    ProgramRun run(machine,
                   {L"/ImageFile:Sample.wim", L"/Index:1", L"/ApplyDrv:E:", L"/after:Finish", L"/Compact", L"/d"});
    run.start();
    auto& ui = run.ui();
    EXPECT_EQ(ui.text(controls::ImageIndexEdit), L"1");
    EXPECT_EQ(ui.comboSelection(controls::AfterInstallCombo), kAfterFinish);
    EXPECT_TRUE(ui.isChecked(controls::KeepBootEntriesCheck));
    EXPECT_EQ(ui.text(controls::OptionSummaryLabel), L" Compact");

    startInstallation(run);
    const SeenBox box = answerBox(run, "Yes");
    EXPECT_EQ(box.title, L"프로그램을 종료 합니다!");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(callsContaining(*machine, L"WIMApplyImage"), (std::vector<std::wstring>{L"WIMApplyImage E:\\ 0x4000"}));
    const auto bcdboot = callsContaining(*machine, L"Bcdboot.exe");
    ASSERT_EQ(bcdboot.size(), 1u);
    EXPECT_NE(bcdboot.front().find(L" E:\\Windows /l ko-KR /s Q: /f UEFI /d -> exit 0"), std::wstring::npos)
        << toUtf8(bcdboot.front());
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

TEST(CommandLineInstall, ApplyStartNeedsAYesWithinTheCountdown) {
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "answered" : "nobody there");
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeInstallImage(m);
        auto machine = m.machine();
        ProgramRun run(machine, installArguments({L"/ApplyStart"}));
        run.start();
        const SeenBox confirm = waitBox(run, L"설치 확인");
        EXPECT_EQ(confirm.defaultCaption, L"No (5)");
        ASSERT_TRUE(run.user().advance(4000));
        ASSERT_TRUE(run.ui().isWindow("MessageBox"));
        if (answered) {
            ASSERT_TRUE(run.user().click("MessageBoxYes"));
            EXPECT_EQ(answerBox(run, "Ok").title, L"알 림!");
            EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
        } else {
            ASSERT_TRUE(run.user().advance(1000));
            EXPECT_FALSE(run.ui().isWindow("MessageBox"));
            EXPECT_FALSE(applied(*machine));
        }
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
    }
}

}  // namespace
}  // namespace halvora::scenario
