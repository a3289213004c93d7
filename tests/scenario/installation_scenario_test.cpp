// Whole installations on simulated machines: the checks, the apply, Bcdboot, the customisations,
// the summary and what follows it.

#include "base/utf.hpp"
#include "install_session.hpp"

namespace halvora::scenario {
namespace {

TEST(Installation, GptUefiInstallPlacesTheImageBootFilesOemFoldersAndAnswerFile) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$$/Setup/Scripts/SetupComplete.cmd", "echo done");
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/net.inf", "[Version]");
    m.writeHostFile("D/oem/$OEM$/$Progs/Tool/tool.exe", "MZ tool");
    m.writeHostFile("D/unattend.xml", "<unattend chosen/>");
    auto machine = m.machine();
    ASSERT_TRUE(machine);
    ProgramRun run(machine, {L"/ImageFile:D:\\sources\\install.wim", L"/Index:1", L"/ApplyDrv:E:",
                             L"/OemPath:D:\\oem\\$OEM$", L"/XmlFile:D:\\unattend.xml"});
    run.start();
    auto& ui = run.ui();
    ASSERT_EQ(ui.cell(controls::BootRow, 0, 0), L"Q:");  // the ESP of E:'s disk (P: went to the system disk's)

    ASSERT_TRUE(run.user().click("InstallButton"));
    const SeenBox confirm = answerBox(run, "Yes");
    EXPECT_EQ(confirm.title, L"설치 확인");
    EXPECT_EQ(confirm.text, L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 : Q:");
    EXPECT_EQ(confirm.defaultCaption, L"No");
    const SeenBox summary = answerBox(run, "Ok");
    EXPECT_EQ(summary.title, L"알 림!");
    EXPECT_EQ(summary.defaultCaption, L"Ok");  // no countdown: the program stays
    EXPECT_EQ(summary.text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 3.\r\nXML: 1.");
    ASSERT_TRUE(run.user().waitIdle());

    EXPECT_EQ(m.readHostFile("E/Windows/System32/winload.efi"), "MZ winload efi");
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
    EXPECT_TRUE(m.hostFileExists("esp1/EFI/Microsoft/Boot/bootmgfw.efi"));
    EXPECT_TRUE(m.hostFileExists("esp1/EFI/Boot/bootx64.efi"));
    EXPECT_FALSE(m.hostFileExists("esp0/EFI/Microsoft/Boot/BCD"));
    EXPECT_EQ(m.readHostFile("E/Windows/Setup/Scripts/SetupComplete.cmd"), "echo done");
    EXPECT_EQ(m.readHostFile("E/Drivers/net.inf"), "[Version]");
    EXPECT_EQ(m.readHostFile("E/Program Files/Tool/tool.exe"), "MZ tool");
    EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), "<unattend chosen/>");

    const auto bcdboot = callsContaining(*machine, L"Bcdboot.exe");
    ASSERT_FALSE(bcdboot.empty());
    EXPECT_NE(bcdboot.front().find(L"\"C:\\Windows\\System32\\Bcdboot.exe\" E:\\Windows /l ko-KR /s Q: /f UEFI"),
              std::wstring::npos)
        << toUtf8(bcdboot.front());
    EXPECT_EQ(ui.statusText(controls::StatusBar, 3), L"이미지 설치 완료.  BCDBOOT 성공.   $OEM$: 3.  XML: 1.");
    EXPECT_EQ(ui.text(controls::InstallButton), L"설 치");
    EXPECT_TRUE(ui.isEnabled(controls::InstallButton));
    EXPECT_FALSE(run.program().state.Busy.load());
    EXPECT_EQ(run.program().state.ExitCode.load(), 0);
    EXPECT_NE(ui.cell(controls::TargetRow, 0, 9), L"0");  // the chosen row was read again
}

// Two installations in one run: the second summary reports only what the second placed, not
// the $OEM$ copy of the first nor its answer file a second time.
TEST(Installation, ASecondInstallationReportsOnlyItsOwnCustomisations) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/net.inf", "[Version]");
    m.writeHostFile("D/unattend.xml", "<unattend chosen/>");
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/OemPath:D:\\oem\\$OEM$", L"/XmlFile:D:\\unattend.xml"}));
    run.start();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 1.\r\nXML: 1.");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);

    ASSERT_TRUE(run.user().click("OemClearButton"));
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\nXML: 1.");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"이미지 설치 완료.  BCDBOOT 성공.     XML: 1.");
}

// A drive alone ("E:") names the current folder of E: when the process is on E:, and the
// open-file dialog can put it there. The image and its temporary files go to the root, and the
// dialog leaves the current folder where it was.
TEST(Installation, TheImageLandsInTheRootAfterAnAnswerFileWasPickedFromAFolderOfTheTarget) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("E/cfg/unattend.xml", "<unattend from E/>");
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    run.user().answerNextDialog(L"E:\\cfg\\unattend.xml");
    ASSERT_TRUE(run.user().click("XmlButton"));
    ASSERT_EQ(run.ui().text(controls::XmlEdit), L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(machine->currentFolder(), L"D:\\Halvora");

    startInstallation(run);
    answerBox(run, "Ok");
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
    EXPECT_FALSE(m.hostFileExists("E/cfg/Users/Public/readme.txt"));
    EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), "<unattend from E/>");
    EXPECT_EQ(callsContaining(*machine, L"WIMApplyImage"), (std::vector<std::wstring>{L"WIMApplyImage E:\\ 0x0"}));
    EXPECT_EQ(callsContaining(*machine, L"WIMSetTemporaryPath"),
              (std::vector<std::wstring>{L"WIMSetTemporaryPath E:\\"}));
}

// The unattended installation that the demo runs: the automatic start asks with a countdown, and
// with Finish the summary box counts down to Yes and the program ends with 0, without a
// shutdown.
TEST(Installation, UnattendedStartWithFinishEndsWithZeroWhenTheSummaryCountsDown) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ASSERT_TRUE(machine);
    ProgramRun run(machine, {L"/ImageFile:D:\\sources\\install.wim", L"/Index:1", L"/ApplyDrv:E:", L"/after:Finish",
                             L"/ApplyStart"});
    run.start();
    const SeenBox confirm = answerBox(run, "Yes");
    EXPECT_EQ(confirm.title, L"설치 확인");
    EXPECT_EQ(confirm.defaultCaption, L"No (5)");

    auto& ui = run.ui();
    ASSERT_TRUE(run.user().waitUntil([&] { return ui.isWindow("MessageBox") && ui.isVisible(controls::MessageBox); }))
        << "no summary box";
    EXPECT_EQ(ui.text(controls::MessageBox), L"프로그램을 종료 합니다!");
    EXPECT_EQ(ui.text(controls::MessageBoxText), L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    EXPECT_EQ(ui.text(controls::MessageBoxYes), L"Yes (5)");
    EXPECT_FALSE(run.ended(std::chrono::milliseconds(0)));
    run.user().advance(4000);
    EXPECT_FALSE(run.ended()) << "ended before the countdown ran out";
    run.user().advance(1000);
    ASSERT_TRUE(run.ended(std::chrono::seconds(10)));
    EXPECT_EQ(run.exitCode(), 0);

    EXPECT_EQ(m.readHostFile("E/Windows/System32/winload.efi"), "MZ winload efi");
    EXPECT_TRUE(m.hostFileExists("esp1/EFI/Microsoft/Boot/BCD"));
    EXPECT_TRUE(callsContaining(*machine, L"InitiateSystemShutdown").empty());
}

// /Check and /Log hold for the installation's own opening of the image too: the integrity table
// is checked, and the log it starts is released when the installation ends.
TEST(Installation, CheckAndLogOptionsHoldForTheImageTheInstallationOpens) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/Check", L"/Log", L"/after:Finish"}));
    run.start();
    const std::size_t opensBefore = callsContaining(*machine, L"WIMCreateFile").size();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Yes").title, L"프로그램을 종료 합니다!");
    ASSERT_TRUE(run.ended(sim::kDefaultWait));
    EXPECT_EQ(run.exitCode(), 0);

    // The checks read the file's WIM_INFO (is it a split set?), which needs no integrity check;
    // then the installation opens it for the apply, with the check.
    const auto opens = callsContaining(*machine, L"WIMCreateFile");
    ASSERT_EQ(opens.size(), opensBefore + 2);
    const auto flagsOf = [](const std::wstring& open) {
        return std::stoul(open.substr(open.find_last_of(L' ') + 1), nullptr, 16);
    };
    EXPECT_EQ(flagsOf(opens[opensBefore]) & kWimFlagVerify, 0u) << opens[opensBefore];
    EXPECT_NE(flagsOf(opens.back()) & kWimFlagVerify, 0u) << opens.back();
    const auto registered = callsContaining(*machine, L"WIMRegisterLogFile");
    EXPECT_FALSE(registered.empty());
    EXPECT_EQ(callsContaining(*machine, L"WIMUnregisterLogFile").size(), registered.size());
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "hello");
}

}  // namespace
}  // namespace halvora::scenario
