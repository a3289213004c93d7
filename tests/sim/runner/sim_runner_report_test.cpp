// What halvora-sim reports: the window's state read as a person would, each message box with
// the answer the program got, and the run driven in process through SimRunner.

#include <future>
#include <sstream>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/runner/sim_runner.hpp"
#include "platform/sim/runner/sim_runner_report.hpp"
#include "install_session.hpp"
#include "ui/message_box.hpp"

namespace halvora::scenario {
namespace {

using sim::captureState;

TEST(RunnerReport, StateShowsControlsListsMenuCombosAndStatusWithoutTouchingWhatItReads) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine(), {L"/Compact", L"/after:Reboot"});
    run.start();
    std::vector<std::wstring> row(12, L"");
    row[0] = L"2";
    row[6] = L"Windows 10 Pro";
    run.ui().addRow(controls::ImageList, std::vector<std::wstring>(12, L"x"));
    run.ui().addRow(controls::ImageList, row);
    ASSERT_TRUE(run.user().clickRow("ImageList", 1));
    ASSERT_TRUE(run.user().click("KeepBootEntriesCheck"));

    const json state = captureState(run.ui());
    EXPECT_EQ(state["title"], "Halvora   20H1 ADK   WimGAPI v10.0.19041.1");
    EXPECT_EQ(state["controls"]["KeepBootEntriesCheck"]["checked"], true);
    EXPECT_FALSE(state["controls"]["InstallButton"].contains("checked"));
    EXPECT_EQ(state["controls"]["ImageIndexEdit"]["text"], "2");
    EXPECT_EQ(state["controls"]["DescriptionEdit"]["text"], "Windows 10 Pro");
    // A control of a hidden panel is visible itself but not shown.
    EXPECT_EQ(state["controls"]["TargetDoneButton"]["visible"], true);
    EXPECT_EQ(state["controls"]["TargetDoneButton"]["shown"], false);
    const json& list = state["lists"]["ImageList"];
    EXPECT_EQ(list["columns"].size(), 12u);
    EXPECT_EQ(list["columns"][0], toUtf8(run.ui().columnTitle(controls::ImageList, 0)));
    ASSERT_EQ(list["rows"].size(), 2u);
    EXPECT_EQ(list["rows"][1][6], "Windows 10 Pro");
    EXPECT_EQ(list["selected"], 1);
    EXPECT_EQ(state["menu"]["1"]["checked"], true);   // /Compact
    EXPECT_EQ(state["menu"]["2"]["enabled"], false);  // WIMboot waits for a WIMboot image
    EXPECT_FALSE(state["menu"].contains("0"));
    EXPECT_EQ(state["combos"]["AfterInstallCombo"]["selected"], 1);  // /after:Reboot
    EXPECT_EQ(state["combos"]["AfterInstallCombo"]["items"][1], "다시 부팅");
    ASSERT_EQ(state["status"].size(), 4u);
    EXPECT_EQ(state["status"][3], toUtf8(run.ui().statusText(controls::StatusBar, 3)));
    EXPECT_EQ(state["progress"], 0);
    // Reading the screen is no misuse by the program.
    EXPECT_TRUE(run.ui().faults().empty()) << run.ui().faults().front();
}

// A box on an interface thread of its own, with an observer that notes what the report would
// record for it as it closes.
class RunnerReportBox : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            toolkit_.createWindow(controls::MainWindow, L"Halvora", {770, 510}, ControlName(), kWindowMinimiseBox), 0u);
        toolkit_.setVisible(controls::MainWindow, true);
        toolkit_.setScreenObserver([this](const sim::SimScreenChange& change) {
            if (change.kind == sim::SimScreenChange::Kind::WindowClosing && change.name == "MessageBox") {
                recorded_ = sim::messageBoxResult(toolkit_);
            }
        });
    }
    void TearDown() override { closeLeftOverBox(toolkit_, result_); }
    void open(int buttons, int defaultResult, int countdown) {
        result_ = std::async(std::launch::async, [=, this] {
            return showMessageBox(program_, {.owner = controls::MainWindow,
                                             .title = L"주 의",
                                             .text = L"계속 할까요?",
                                             .buttons = buttons,
                                             .defaultResult = defaultResult,
                                             .countdownSeconds = countdown,
                                             .icon = kIconWarning});
        });
        ASSERT_TRUE(user_.waitUntil([this] { return toolkit_.isWindow("MessageBox") && toolkit_.isIdle(); },
                                    std::chrono::seconds(5)));
    }

    SimMachineFixture fixture_;
    sim::SimSystem system_{fixture_.machine(), {}};
    sim::SimToolkit toolkit_{fixture_.machine()};
    sim::ScriptedUser user_{toolkit_};
    Program program_{system_, toolkit_};
    std::future<int> result_;
    std::optional<int> recorded_;
};

TEST_F(RunnerReportBox, ReadsCaptionsWithoutTheCountdownAndTheSecondsLeft) {
    open(kButtonsYesNo, kResultNo, 5);
    sim::MessageBoxRecord box = sim::readMessageBox(toolkit_);
    EXPECT_EQ(box.title, L"주 의");
    EXPECT_EQ(box.text, L"계속 할까요?");
    EXPECT_EQ(box.buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    EXPECT_EQ(box.countdown, 5);
    EXPECT_EQ(box.icon, kIconWarning);
    user_.advance(2000);
    EXPECT_EQ(sim::readMessageBox(toolkit_).countdown, 3);
    ASSERT_TRUE(user_.click("MessageBoxYes"));
    EXPECT_EQ(result_.get(), kResultYes);
    EXPECT_EQ(recorded_, kResultYes);
}

TEST_F(RunnerReportBox, RecordedAnswerIsWhatTheBoxReturnsWhenTheCountdownRunsOut) {
    open(kButtonsYesNoCancel, kResultNo, 2);
    user_.advance(2000);
    EXPECT_EQ(result_.get(), kResultNo);
    EXPECT_EQ(recorded_, kResultNo);
}

// One box a test: the toolkit reads as idle once a box's thread has ended, so a second box on
// a new thread could be answered before it is built.
TEST_F(RunnerReportBox, RecordedAnswerForCancel) {
    open(kButtonsYesNoCancel, kResultYes, 0);
    ASSERT_TRUE(user_.click("MessageBoxCancel"));
    EXPECT_EQ(result_.get(), kResultCancel);
    EXPECT_EQ(recorded_, kResultCancel);
}

TEST_F(RunnerReportBox, RecordedAnswerForOk) {
    open(kButtonsOk, kResultYes, 0);
    ASSERT_TRUE(user_.click("MessageBoxOk"));
    EXPECT_EQ(result_.get(), kResultOk);
    EXPECT_EQ(recorded_, kResultOk);
}

// A worker whose job ended closes a question still open (a close request, as WM_CLOSE): the box
// returns Cancel whatever button had the focus, and that is what is recorded.
TEST_F(RunnerReportBox, RecordedAnswerIsCancelWhenAWorkerClosesTheBox) {
    open(kButtonsYesNo, kResultNo, 0);
    std::thread worker([this] {
        Event close;
        close.kind = EventKind::Close;
        close.window = controls::MessageBox;
        toolkit_.postEvent(close);
    });
    worker.join();
    EXPECT_EQ(result_.get(), kResultCancel);
    EXPECT_EQ(recorded_, kResultCancel);
}

TEST(RunnerReport, JsonHasTheRunsEndBoxesAndFailedStep) {
    sim::RunReport report;
    report.ending = "closedAfterScript";
    report.exitCodeAfterClose = 0;
    report.snapshots.emplace_back("start", json{{"title", "t"}});
    report.messageBoxes.push_back({L"에 러", L"중단 완료.", {L"Ok"}, 0, -240, 0});
    report.messageBoxes.push_back({L"주 의", L"?", {L"Yes", L"No"}, 5, std::nullopt, std::nullopt});
    report.calls = {L"CreateMutexW Halvora"};
    report.failedStep = sim::FailedStep{3, json{{"waitStatus", "완료"}}, "did not come"};
    const json out = sim::reportJson(report);
    EXPECT_TRUE(out["exitCode"].is_null());
    EXPECT_EQ(out["exitCodeAfterClose"], 0);
    EXPECT_EQ(out["snapshots"][0]["label"], "start");
    EXPECT_EQ(out["snapshots"][0]["state"]["title"], "t");
    EXPECT_EQ(out["messageBoxes"][0]["title"], "에 러");
    EXPECT_EQ(out["messageBoxes"][0]["answer"], 0);
    EXPECT_EQ(out["messageBoxes"][0]["icon"], -240);
    EXPECT_EQ(out["messageBoxes"][1]["countdown"], 5);
    EXPECT_TRUE(out["messageBoxes"][1]["answer"].is_null());
    EXPECT_EQ(out["calls"][0], "CreateMutexW Halvora");
    EXPECT_EQ(out["failedStep"]["number"], 3);
    EXPECT_EQ(out["failedStep"]["step"]["waitStatus"], "완료");
    EXPECT_EQ(out["failedStep"]["why"], "did not come");
    report.failedStep.reset();
    report.exitCode = 0;
    EXPECT_FALSE(sim::reportJson(report).contains("failedStep"));
    EXPECT_EQ(sim::reportJson(report)["exitCode"], 0);
}

// --- the runner in process ------------------------------------------------------------------

std::vector<sim::ScriptStep> script(const char* text) {
    std::string error;
    auto steps = sim::parseScript(json::parse(text), error);
    EXPECT_TRUE(steps) << error;
    return steps ? *steps : std::vector<sim::ScriptStep>{};
}

sim::RunnerOptions quick() {
    sim::RunnerOptions options;
    options.waitLimit = std::chrono::seconds(10);
    return options;
}

TEST(SimRunner, AScriptThatClosesEndsWithTheProgramsCodeAndItsLastWindow) {
    SimMachineFixture fixture;
    std::ostringstream trace;
    sim::RunnerOptions options = quick();
    options.trace = &trace;
    sim::SimRunner runner(fixture.machine(), {L"/Verify"}, options);
    const auto outcome = runner.run(script(R"([{"click": "InfoMark"}, {"answer": "Ok"}, {"menu": 5},
                                               {"snapshot": "before close"}, {"close": true}])"));
    EXPECT_EQ(outcome, sim::RunOutcome::ProgramEnded);
    const sim::RunReport& report = runner.report();
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.ending, "script");
    ASSERT_EQ(report.messageBoxes.size(), 1u);
    EXPECT_EQ(report.messageBoxes[0].title, L"프로그램 정보");
    EXPECT_EQ(report.messageBoxes[0].answer, 0);
    EXPECT_EQ(report.messageBoxes[0].icon, -16783);
    ASSERT_EQ(report.snapshots.size(), 1u);
    EXPECT_EQ(report.snapshots[0].second["menu"]["3"]["checked"], true);  // /Verify
    EXPECT_EQ(report.snapshots[0].second["menu"]["5"]["checked"], true);
    // The final state is the window as it was just before it went away, not an empty screen.
    EXPECT_EQ(report.finalState["controls"]["OptionSummaryLabel"]["text"], " Verify Log");
    EXPECT_NE(trace.str().find("> answer Ok\n"), std::string::npos) << trace.str();
    EXPECT_NE(trace.str().find("[box] 프로그램 정보\n"), std::string::npos);
    EXPECT_NE(trace.str().find("-> Ok (0)\n"), std::string::npos);
}

TEST(SimRunner, AWrongAnswerFailsNamingTheButtonsAndTheBoxIsClosedAsCancel) {
    SimMachineFixture fixture;
    sim::SimRunner runner(fixture.machine(), {}, quick());
    const auto outcome = runner.run(script(R"([{"click": "InfoMark"}, {"answer": "Yes"}, {"close": true}])"));
    EXPECT_EQ(outcome, sim::RunOutcome::StepFailed);
    const sim::RunReport& report = runner.report();
    ASSERT_TRUE(report.failedStep);
    EXPECT_EQ(report.failedStep->number, 2u);
    EXPECT_EQ(report.failedStep->why, "the box \"프로그램 정보\" has no Yes button (it has Ok)");
    EXPECT_FALSE(report.exitCode);
    // Under the box the main window is disabled, so no person could close it: it was forced.
    EXPECT_EQ(report.ending, "forced");
    EXPECT_EQ(report.exitCodeAfterClose, 0);
    EXPECT_NE(runner.closeProblem().find("disabled"), std::string::npos) << runner.closeProblem();
    ASSERT_EQ(report.messageBoxes.size(), 1u);
    EXPECT_EQ(report.messageBoxes[0].answer, kResultCancel);
    EXPECT_TRUE(runner.programEnded());
}

// The apply ends while the cancel question is open: the apply worker closes the question, which
// returns Cancel, not the No that had the focus.
TEST(SimRunner, ABoxTheProgramClosesItselfIsReportedWithWhatItReturned) {
    SimMachineFixture fixture;
    fixture.description().merge_patch(installMachine(fixture));
    writeInstallImage(fixture);
    std::ostringstream trace;
    sim::RunnerOptions options = quick();
    options.trace = &trace;
    sim::SimRunner runner(fixture.machine(), installArguments(), options);
    const auto outcome = runner.run(script(R"([
        {"holdApply": true}, {"click": "InstallButton"}, {"answer": "Yes"}, {"waitApplyHeld": true},
        {"click": "InstallButton"}, {"releaseApply": true}, {"waitStatus": "이미지 설치 완료."},
        {"answer": "Ok"}, {"close": true}])"));
    EXPECT_EQ(outcome, sim::RunOutcome::ProgramEnded)
        << (runner.report().failedStep ? runner.report().failedStep->why : "");
    const auto& boxes = runner.report().messageBoxes;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].title, L"주 의");
    EXPECT_EQ(boxes[1].answer, kResultCancel);
    EXPECT_EQ(boxes[2].title, L"알 림!");
    EXPECT_EQ(boxes[2].answer, kResultOk);
    EXPECT_NE(trace.str().find("[box] 주 의\n      설치를 중단 하시겠습니까?\n      -> Cancel (2)\n"),
              std::string::npos)
        << trace.str();
}

TEST(SimRunner, StepsAfterTheProgramEndedFailAndAStillRunningProgramIsClosed) {
    SimMachineFixture fixture;
    {
        sim::SimRunner runner(fixture.machine(), {}, quick());
        EXPECT_EQ(runner.run(script(R"([{"close": true}, {"click": "InfoMark"}])")), sim::RunOutcome::StepFailed);
        ASSERT_TRUE(runner.report().failedStep);
        EXPECT_EQ(runner.report().failedStep->number, 2u);
        EXPECT_EQ(runner.report().failedStep->why, "the program has already ended (exit code 0)");
        EXPECT_EQ(runner.report().exitCode, 0);
    }
    {
        sim::SimRunner runner(fixture.machine(), {}, quick());
        EXPECT_EQ(runner.run(script(R"([{"choose": ["AfterInstallCombo", 2]}, {"snapshot": "s"}])")),
                  sim::RunOutcome::StillRunning);
        EXPECT_FALSE(runner.report().exitCode);
        EXPECT_EQ(runner.report().ending, "closedAfterScript");
        EXPECT_EQ(runner.report().exitCodeAfterClose, 0);
        EXPECT_TRUE(runner.closeProblem().empty()) << runner.closeProblem();
        EXPECT_EQ(runner.report().snapshots[0].second["combos"]["AfterInstallCombo"]["selected"], 2);
    }
}

}  // namespace
}  // namespace halvora::scenario
