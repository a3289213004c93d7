// What a person can do while an image applies: ask to cancel it, let it go on, or hand new
// arguments over from a second start. The machine holds the apply after its first progress
// message, so each step happens while it runs.

#include <cwchar>

#include "base/utf.hpp"
#include "install/apply_progress.hpp"
#include "install_session.hpp"
#include "platform/sim/runner/sim_runner.hpp"

namespace halvora::scenario {
namespace {

class RunningInstallation : public ::testing::Test {
protected:
    void SetUp() override {
        m_.description().merge_patch(installMachine(m_));
        writeInstallImage(m_);
        machine_ = m_.machine();
        machine_->holdApplies(true);
        run_ = std::make_unique<ProgramRun>(machine_, installArguments());
        run_->start();
        startedAt_ = std::chrono::system_clock::now();
        startInstallation(*run_);
        ASSERT_TRUE(machine_->waitApplyHeld(sim::kDefaultWait)) << "the apply never started";
        ASSERT_TRUE(run_->user().waitIdle());
    }

    ProgramRun& run() { return *run_; }
    sim::SimToolkit& ui() { return run_->ui(); }

    SimMachineFixture m_;
    std::shared_ptr<sim::SimMachine> machine_;
    std::unique_ptr<ProgramRun> run_;
    std::chrono::system_clock::time_point startedAt_;  // before the apply started
};

TEST_F(RunningInstallation, TheInstallButtonBecomesTheCancelButtonWhileTheApplyRuns) {
    EXPECT_EQ(ui().text(controls::InstallButton), L"취 소");
    EXPECT_TRUE(ui().isEnabled(controls::InstallButton));
    EXPECT_FALSE(ui().isEnabled(controls::MainPanel));
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3), L"진행... ");
    EXPECT_EQ(ui().statusText(controls::StatusBar, 0), L"\t\t0%");
    EXPECT_EQ(ui().statusText(controls::StatusBar, 2), L"남은 시간: ");
    machine_->releaseApply();
    EXPECT_EQ(answerBox(run(), "Ok").title, L"알 림!");
}

TEST_F(RunningInstallation, ACancelAnsweredYesEndsTheApplyInTheErrorBox) {
    ASSERT_TRUE(run().user().click("InstallButton"));
    const SeenBox question = answerBox(run(), "Yes");
    EXPECT_EQ(question.title, L"주 의");
    EXPECT_EQ(question.text, L"설치를 중단 하시겠습니까?");
    EXPECT_EQ(question.icon, -161);
    EXPECT_EQ(question.defaultCaption, L"No");
    ASSERT_TRUE(run().user().waitIdle());
    EXPECT_FALSE(ui().isEnabled(controls::InstallButton)) << "no second request while the first is pending";
    EXPECT_TRUE(run().program().state.CancelRequested.load());

    machine_->releaseApply();
    const SeenBox error = answerBox(run(), "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"사용자 취소. 중단 완료. \r\n에러 코드: 1235");
    EXPECT_EQ(error.icon, -240);
    ASSERT_TRUE(run().user().waitIdle());
    EXPECT_EQ(ui().statusText(controls::StatusBar, 3), L"사용자 취소. 중단 완료. 에러 코드: 1235");
    expectIdle(run());
    EXPECT_TRUE(callsContaining(*machine_, L"CreateProcessW").empty()) << "no boot configuration";
    EXPECT_FALSE(m_.hostFileExists("esp1/EFI/Microsoft/Boot/BCD"));
}

TEST_F(RunningInstallation, ACancelAnsweredNoLetsTheApplyFinish) {
    ASSERT_TRUE(run().user().click("InstallButton"));
    EXPECT_EQ(answerBox(run(), "No").title, L"주 의");
    ASSERT_TRUE(run().user().waitIdle());
    EXPECT_EQ(ui().text(controls::InstallButton), L"취 소");
    EXPECT_TRUE(ui().isEnabled(controls::InstallButton));
    EXPECT_FALSE(run().program().state.CancelRequested.load());

    machine_->releaseApply();
    EXPECT_EQ(answerBox(run(), "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    ASSERT_TRUE(run().user().waitIdle());
    expectIdle(run());
    EXPECT_EQ(m_.readHostFile("E/Users/Public/readme.txt"), "hello");
    EXPECT_TRUE(m_.hostFileExists("esp1/EFI/Microsoft/Boot/BCD"));
}

TEST_F(RunningInstallation, AnApplyEndingUnderTheCancelQuestionClosesItWithoutACancel) {
    ASSERT_TRUE(run().user().click("InstallButton"));
    EXPECT_EQ(waitBox(run()).title, L"주 의");
    machine_->releaseApply();
    // Nobody answers: the question goes by itself, and the installation completes.
    const SeenBox summary = waitBox(run(), L"알 림!");
    EXPECT_EQ(summary.text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    EXPECT_FALSE(run().program().state.CancelRequested.load());
    ASSERT_TRUE(run().user().click("MessageBoxOk"));
    ASSERT_TRUE(run().user().waitIdle());
    expectIdle(run());
    EXPECT_EQ(m_.readHostFile("E/Users/Public/readme.txt"), "hello");
}

// A cancel asked for while the apply is held gets no answer from the library; ten seconds on the
// machine's clock later the button comes back so that it can be asked for again, not before.
TEST_F(RunningInstallation, ACancelStillPendingAfterTenSecondsMayBeAskedForAgain) {
    ASSERT_TRUE(run().user().click("InstallButton"));
    EXPECT_EQ(answerBox(run(), "Yes").title, L"주 의");
    ASSERT_TRUE(run().user().waitIdle());
    ASSERT_TRUE(run().user().advance(9000));
    EXPECT_FALSE(ui().isEnabled(controls::InstallButton));
    ASSERT_TRUE(run().user().advance(1000));
    EXPECT_TRUE(ui().isEnabled(controls::InstallButton));
    EXPECT_TRUE(run().program().state.CancelRequested.load());

    ASSERT_TRUE(run().user().click("InstallButton"));
    EXPECT_EQ(answerBox(run(), "Yes").title, L"주 의");
    ASSERT_TRUE(run().user().waitIdle());
    EXPECT_FALSE(ui().isEnabled(controls::InstallButton));
    machine_->releaseApply();
    EXPECT_EQ(answerBox(run(), "Ok").text, L"사용자 취소. 중단 완료. \r\n에러 코드: 1235");
    ASSERT_TRUE(run().user().waitIdle());
    expectIdle(run());
}

// The library reports a file it could not handle as it should (a warning) while the apply
// runs. The warning's code is what the error box reports when a cancel then ends the apply,
// rather than the code the cancel itself leaves behind, and what a Finish ends the program
// with when the apply completes; staying ready forgets it.
TEST(ApplyMessages, AWarningsCodeIsTheCodeTheInstallationEndsWith) {
    enum class Ending { Cancel, Finish, Ready };
    for (const Ending ending : {Ending::Cancel, Ending::Finish, Ending::Ready}) {
        SCOPED_TRACE(ending == Ending::Cancel ? "cancelled" : ending == Ending::Finish ? "Finish" : "Ready");
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeInstallImage(m);
        auto machine = m.machine();
        machine->holdApplies(true);
        ProgramRun run(machine, installArguments({ending == Ending::Finish ? L"/after:Finish" : L"/after:Ready"}));
        StatusLog status(run);
        run.start();
        startInstallation(run);
        ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
        // The library calls back on the apply's thread, which the machine holds meanwhile.
        const std::wstring file = L"E:\\Windows\\System32\\config\\SYSTEM";
        EXPECT_EQ(onImagingMessage(run.program(), kWimMsgWarning, reinterpret_cast<std::uintptr_t>(file.c_str()), 32),
                  kWimMsgSuccess);
        EXPECT_TRUE(status.showed(L"경고: E:\\Windows\\System32\\config\\SYSTEM Err = 32"));
        if (ending == Ending::Cancel) {
            ASSERT_TRUE(run.user().click("InstallButton"));
            EXPECT_EQ(answerBox(run, "Yes").title, L"주 의");
            ASSERT_TRUE(run.user().waitIdle());
        }
        machine->releaseApply();
        if (ending == Ending::Finish) {
            EXPECT_EQ(answerBox(run, "Yes").title, L"프로그램을 종료 합니다!");
            ASSERT_TRUE(run.ended(sim::kDefaultWait));
            EXPECT_EQ(run.exitCode(), 32);
            continue;
        }
        const SeenBox box = answerBox(run, "Ok");
        EXPECT_EQ(box.text, ending == Ending::Cancel ? L"사용자 취소. 중단 완료. \r\n에러 코드: 32"
                                                     : L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);  // with exit code 0
    }
}

// The time the apply took stays in field 2 once it has completed. Two minutes and five seconds
// pass on the machine's clock while the apply is held; the host's own seconds meanwhile come on
// top.
TEST_F(RunningInstallation, TheTimeTheApplyTookShowsInMinutesAndSecondsWhenItCompletes) {
    ASSERT_TRUE(run().user().advance(125000));
    machine_->releaseApply();
    EXPECT_EQ(answerBox(run(), "Ok").title, L"알 림!");
    ASSERT_TRUE(run().user().waitIdle());
    const auto hostSeconds =
        std::chrono::ceil<std::chrono::seconds>(std::chrono::system_clock::now() - startedAt_).count();
    expectIdle(run());

    const std::wstring shown = ui().statusText(controls::StatusBar, 2);
    int minutes = -1, seconds = -1;
    ASSERT_EQ(std::swscanf(shown.c_str(), L"완료 시간: %d분 %d초", &minutes, &seconds), 2) << toUtf8(shown);
    EXPECT_EQ(shown, L"완료 시간: " + std::to_wstring(minutes) + L"분 " + std::to_wstring(seconds) + L"초");
    EXPECT_GE(seconds, 0);
    EXPECT_LT(seconds, 60);
    const long long total = minutes * 60LL + seconds;
    EXPECT_GE(total, 125) << toUtf8(shown);
    EXPECT_LE(total, 125 + hostSeconds) << toUtf8(shown);
}

TEST_F(RunningInstallation, AHandOverChangesNothingWhileTheApplyRuns) {
    m_.writeHostFile("D/oem/$OEM$/$1/marker.txt", "from oem");
    const std::u16string handOver = u"/ApplyDrv:C:|/after:Finish|/d|/Verify|/OemPath:D:\\oem\\$OEM$|/BootDrv:-|";
    EXPECT_EQ(run().user().sendCopyData(ui().text(controls::MainWindow), handOver.c_str(),
                                        static_cast<std::uint32_t>((handOver.size() + 1) * 2)),
              1);
    ASSERT_TRUE(run().user().waitIdle());
    EXPECT_EQ(ui().cell(controls::TargetRow, 0, 0), L"E:");
    EXPECT_EQ(ui().cell(controls::BootRow, 0, 0), L"Q:");
    EXPECT_EQ(ui().comboSelection(controls::AfterInstallCombo), kAfterReady);
    EXPECT_FALSE(ui().isChecked(controls::KeepBootEntriesCheck));
    EXPECT_EQ(ui().text(controls::OemEdit), L"");
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L"");

    machine_->releaseApply();
    EXPECT_EQ(answerBox(run(), "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    ASSERT_TRUE(run().user().waitIdle());
    expectIdle(run());
    EXPECT_FALSE(m_.hostFileExists("E/marker.txt"));
    const auto bcdboot = callsContaining(*machine_, L"Bcdboot.exe");
    ASSERT_EQ(bcdboot.size(), 1u);
    EXPECT_EQ(bcdboot.front().find(L" /d"), std::wstring::npos) << toUtf8(bcdboot.front());
}

// The imaging library's error message names the file in field 3 and in the error box; once a
// cancel is asked for, the same message is shown as the user's cancel. The volume is
// write-protected, so the apply stops at its first entry before any further progress message
// could carry the cancel.
TEST(ApplyMessages, AnErrorMessageIsShownAsTheUsersCancelOnceACancelIsAsked) {
    const struct {
        bool cancel;
        const wchar_t* shown;
        const wchar_t* box;
    } cases[] = {
        {false, L"에러 발생: E:\\Users Err = 19", L"중단 완료. \r\n에러 코드: 19\r\nE:\\Users"},
        {true, L"사용자 취소: E:\\Users Err = 19", L"사용자 취소. 중단 완료. \r\n에러 코드: 19\r\nE:\\Users"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancel ? "cancel asked" : "no cancel");
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        m.description()["readOnly"] = json::array({"E:\\"});
        writeInstallImage(m);
        auto machine = m.machine();
        machine->holdApplies(true);
        ProgramRun run(machine, installArguments());
        StatusLog status(run);
        run.start();
        startInstallation(run);
        ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
        if (c.cancel) {
            ASSERT_TRUE(run.user().click("InstallButton"));
            EXPECT_EQ(answerBox(run, "Yes").title, L"주 의");
            ASSERT_TRUE(run.user().waitIdle());
        }
        machine->releaseApply();
        const SeenBox error = answerBox(run, "Ok");
        EXPECT_EQ(error.title, L"에 러");
        EXPECT_EQ(error.text, c.box);
        ASSERT_TRUE(run.user().waitIdle());
        EXPECT_TRUE(status.showed(c.shown)) << toUtf8(status.texts().empty() ? L"" : status.texts().back());
        expectIdle(run);
        EXPECT_FALSE(m.hostFileExists("E/Users"));
    }
}

TEST(ScriptedInstallation, AScriptHoldsTheApplyToCancelIt) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    sim::RunnerOptions options;
    options.waitLimit = std::chrono::seconds(60);
    sim::SimRunner runner(m.machine(), installArguments(), options);
    std::string error;
    const auto steps = sim::parseScript(json::parse(R"([
        {"holdApply": true}, {"click": "InstallButton"}, {"answer": "Yes"}, {"waitApplyHeld": true},
        {"click": "InstallButton"}, {"answer": "Yes"}, {"releaseApply": true}, {"answer": "Ok"}, {"waitIdle": true}
    ])"),
                                        error);
    ASSERT_TRUE(steps) << error;
    EXPECT_EQ(runner.run(*steps), sim::RunOutcome::StillRunning);
    const auto& boxes = runner.report().messageBoxes;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].title, L"주 의");
    EXPECT_EQ(boxes[2].text, L"사용자 취소. 중단 완료. \r\n에러 코드: 1235");
    EXPECT_EQ(runner.report().ending, "closedAfterScript");
}

}  // namespace
}  // namespace halvora::scenario
