// What follows a finished installation: the after-install choice with its countdown, and how
// a boot configuration that failed or was left out changes it.

#include "base/utf.hpp"
#include "install_session.hpp"

namespace halvora::scenario {
namespace {

std::vector<std::wstring> shutdownCalls(sim::SimMachine& machine) {
    return callsContaining(machine, L"SystemShutdown");
}

TEST(AfterInstall, ShutdownAndRestartTakeTheirDefaultWhenTheCountdownRunsOut) {
    const struct {
        const wchar_t* argument;
        const wchar_t* title;
        const wchar_t* request;
    } cases[] = {
        {L"/after:shutdown", L"시스템을 종료 합니다!", L"InitiateSystemShutdownW Exit 1 noforce poweroff"},
        {L"/after:REBOOT", L"시스템을 다시 시작 합니다!", L"InitiateSystemShutdownW Exit 1 noforce reboot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.argument));
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeInstallImage(m);
        auto machine = m.machine();
        ProgramRun run(machine, installArguments({c.argument}));
        run.start();
        startInstallation(run);

        const SeenBox box = waitBox(run, c.title);
        EXPECT_EQ(box.text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
        EXPECT_EQ(box.icon, -28);
        EXPECT_EQ(box.defaultCaption, L"Yes (7)");
        ASSERT_TRUE(run.user().advance(6000));
        EXPECT_TRUE(run.ui().isWindow("MessageBox")) << "the countdown is seven seconds";
        EXPECT_TRUE(shutdownCalls(*machine).empty());
        ASSERT_TRUE(run.user().advance(1000));
        ASSERT_TRUE(run.ended(sim::kDefaultWait));
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_FALSE(run.ui().isWindow("MainWindow"));
        EXPECT_EQ(shutdownCalls(*machine), (std::vector<std::wstring>{c.request}));
        EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
    }
}

TEST(AfterInstall, NoToAShutdownKeepsTheProgramReady) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/after:shutdown"}));
    run.start();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "No").title, L"시스템을 종료 합니다!");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(run.program().state.AfterAction, kAfterReady);
    ASSERT_TRUE(run.user().advance(20000));
    EXPECT_FALSE(run.ended(std::chrono::milliseconds(0)));
    EXPECT_TRUE(shutdownCalls(*machine).empty());
}

// The after-install list stays usable while the image is applied; the choice counts as it is
// when the summary shows, not as it was when the installation started.
TEST(AfterInstall, AChoiceChangedWhileTheImageIsAppliedIsTheOneThatFollows) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    machine->holdApplies(true);
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_EQ(run.ui().comboSelection(controls::AfterInstallCombo), kAfterReady);
    startInstallation(run);
    ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
    ASSERT_TRUE(run.user().chooseComboItem("AfterInstallCombo", kAfterFinish));
    machine->releaseApply();
    const SeenBox box = answerBox(run, "Yes");
    EXPECT_EQ(box.title, L"프로그램을 종료 합니다!");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);
}

TEST(AfterInstall, FinishEndsTheProgramWithoutTouchingThePower) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/after:Finish"}));
    run.start();
    startInstallation(run);
    const SeenBox box = answerBox(run, "Yes");
    EXPECT_EQ(box.title, L"프로그램을 종료 합니다!");
    EXPECT_EQ(box.icon, -16783);
    EXPECT_EQ(box.defaultCaption, L"Yes (5)");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(shutdownCalls(*machine).empty());
}

TEST(AfterInstall, BcdbootFailingWithItsCopyErrorLengthensTheCountdownAndBecomesTheExitCode) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    m.description()["bcdboot"] = {{"exitCode", 193}};
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/after:Finish"}));
    run.start();
    startInstallation(run);

    const SeenBox box = waitBox(run, L"프로그램을 종료 합니다!");
    EXPECT_EQ(box.text, L"이미지 설치 완료.\r\n*BCDBOOT 부팅 파일 복사 오류: 193. \r\n\r\n");
    EXPECT_EQ(box.icon, -161);
    EXPECT_EQ(box.defaultCaption, L"Yes (10)");
    ASSERT_TRUE(run.user().advance(9000));
    EXPECT_TRUE(run.ui().isWindow("MessageBox")) << "five seconds longer than without the error";
    ASSERT_TRUE(run.user().advance(1000));
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 193);
    EXPECT_EQ(callsContaining(*machine, L"CreateProcessW").size(), 1u);
}

TEST(AfterInstall, AMissingBcdbootIsReportedAndTheCustomisationsStillLand) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    m.description()["bcdboot"] = false;
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/net.inf", "[Version]");
    m.writeHostFile("D/unattend.xml", "<unattend chosen/>");
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/OemPath:D:\\oem\\$OEM$", L"/XmlFile:D:\\unattend.xml"}));
    run.start();
    startInstallation(run);
    const SeenBox box = answerBox(run, "Ok");
    EXPECT_EQ(box.title, L"알 림!");
    EXPECT_EQ(box.text, L"이미지 설치 완료.\r\n*BCDBOOT 실행 파일 오류. \r\n$OEM$: 1.\r\nXML: 1.");
    EXPECT_EQ(box.icon, -161);
    EXPECT_EQ(box.defaultCaption, L"Ok");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(m.readHostFile("E/Drivers/net.inf"), "[Version]");
    EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), "<unattend chosen/>");
    const auto starts = callsContaining(*machine, L"CreateProcessW");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts.front().find(L"-> error 2"), std::wstring::npos) << toUtf8(starts.front());
}

TEST(AfterInstall, WithoutABootLocationBcdbootIsLeftOutAndTheProgramEndsWithThree) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/BootDrv:-", L"/after:Finish"}));
    StatusLog status(run);
    run.start();
    ASSERT_EQ(run.ui().cell(controls::BootRow, 0, 0), L"");

    const SeenBox confirm = startInstallation(run);
    // A GPT install location with no ESP to boot from also carries the boot location's note.
    EXPECT_EQ(
        confirm.text,
        L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 생략(Bcdboot 생략). ESP 무시.");
    const SeenBox box = waitBox(run, L"프로그램을 종료 합니다!");
    EXPECT_EQ(box.text, L"이미지 설치 완료.\r\n*부팅 위치 생략. ESP 무시.\r\n\r\n");
    EXPECT_EQ(box.icon, -161);
    EXPECT_EQ(box.defaultCaption, L"Yes (10)");
    EXPECT_TRUE(status.showed(L"진행... 부팅 위치 생략(Bcdboot 생략). ESP 무시."));
    EXPECT_TRUE(status.showed(L"이미지 설치 완료.  *부팅 위치 생략. ESP 무시.    "));
    ASSERT_TRUE(run.user().advance(10000));
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 3);
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

}  // namespace
}  // namespace halvora::scenario
