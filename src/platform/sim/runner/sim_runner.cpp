#include "platform/sim/runner/sim_runner.hpp"

#include <sstream>
#include <variant>

#include "app/program.hpp"
#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

const std::string kOptionsButton = "OptionsButton";

// A visitor made of one lambda per kind of script step.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;
constexpr std::chrono::milliseconds kPoll{5};

std::string seconds(std::chrono::milliseconds limit) {
    std::ostringstream out;
    out << static_cast<double>(limit.count()) / 1000.0 << " s";
    return out.str();
}

// A box's text on the terminal: its lines indented under the title.
std::string indented(const std::wstring& text) {
    std::string out;
    std::string line;
    std::istringstream lines(toUtf8(text));
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += "      " + line + "\n";
    }
    return out;
}

}  // namespace

SimRunner::SimRunner(std::shared_ptr<SimMachine> machine, std::vector<std::wstring> arguments, RunnerOptions options)
    : machine_(machine),
      options_(options),
      system_(machine, std::move(arguments)),
      toolkit_(machine),
      user_(toolkit_),
      program_(system_, toolkit_) {
    user_.setWaitTimeout(options_.waitLimit);
    toolkit_.setScreenObserver([this](const SimScreenChange& change) { onScreenChange(change); });
}

SimRunner::~SimRunner() {
    if (!thread_.joinable()) return;
    if (!programEnded()) {
        // Only reached when run() was not called to its end; close it as a test's run would.
        program_.state.Busy = false;
        program_.state.ApplyWorkerAlive = false;
        program_.state.BootWorkerAlive = false;
        program_.state.SearchWorkerAlive = false;
        for (const std::string& window : {controls::MessageBox, controls::MainWindow}) {
            Event close;
            close.kind = EventKind::Close;
            close.window = window;
            toolkit_.postEvent(close);
        }
    }
    thread_.join();
}

bool SimRunner::programEnded() const {
    std::lock_guard lock(mutex_);
    return exitCode_.has_value();
}

void SimRunner::traceLine(const std::string& line) {
    if (!options_.trace) return;
    std::lock_guard lock(mutex_);
    *options_.trace << line << std::flush;
}

void SimRunner::onScreenChange(const SimScreenChange& change) {
    using Kind = SimScreenChange::Kind;
    if (change.kind == Kind::WindowShown && change.name == controls::MessageBox) {
        MessageBoxRecord box = readMessageBox(toolkit_);
        box.countdown = 0;  // its countdown starts after it is shown; noteOpenBox reads it
        std::lock_guard lock(mutex_);
        report_.messageBoxes.push_back(std::move(box));
        boxOpen_ = true;
        boxNoted_ = false;
    } else if (change.kind == Kind::WindowClosing && change.name == controls::MessageBox) {
        const MessageBoxRecord now = readMessageBox(toolkit_);
        std::optional<int> answer;
        std::string traced;
        {
            std::lock_guard lock(mutex_);
            answer = messageBoxResult(toolkit_);
            if (!boxOpen_ || report_.messageBoxes.empty()) return;
            MessageBoxRecord& box = report_.messageBoxes.back();
            if (!boxNoted_) box.countdown = now.countdown;
            box.icon = now.icon;
            box.answer = answer;
            boxOpen_ = false;
            traced = "[box] " + toUtf8(box.title) + "\n" + indented(box.text) + "      -> " +
                     (answer ? messageBoxAnswerName(*answer) + " (" + std::to_string(*answer) + ")" : "?") + "\n";
        }
        traceLine(traced);
    } else if (change.kind == Kind::WindowClosing && change.name == controls::MainWindow) {
        json state = captureState(toolkit_);
        std::lock_guard lock(mutex_);
        mainWindowLastState_ = std::move(state);
    } else if (change.kind == Kind::StatusText && change.name == controls::StatusBar &&
               (change.field == 0 || change.field == 3)) {
        traceLine("[status " + std::to_string(change.field) + "] " + toUtf8(change.text) + "\n");
    }
}

void SimRunner::noteOpenBox() {
    // While the box waits for its person nothing changes it but a timer, and timers fire only
    // when the runner moves the clock, so what it shows now is what it showed when it opened.
    {
        std::lock_guard lock(mutex_);
        if (!boxOpen_ || boxNoted_) return;
    }
    if (!toolkit_.isWindow(controls::MessageBox) || !toolkit_.isIdle()) return;
    const MessageBoxRecord now = readMessageBox(toolkit_);
    std::lock_guard lock(mutex_);
    if (!boxOpen_ || report_.messageBoxes.empty()) return;
    report_.messageBoxes.back().countdown = now.countdown;
    report_.messageBoxes.back().icon = now.icon;
    boxNoted_ = true;
}

std::optional<int> SimRunner::waitForEnd(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, limit, [this] { return exitCode_.has_value(); });
    return exitCode_;
}

bool SimRunner::waitFor(const std::function<bool()>& done, const std::string& what, std::string& why) {
    const auto deadline = std::chrono::steady_clock::now() + options_.waitLimit;
    for (;;) {
        noteOpenBox();
        if (done()) return true;
        if (programEnded()) {
            why = "the program ended while waiting for " + what;
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = what + " did not come within " + seconds(options_.waitLimit);
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

bool SimRunner::idleWithoutWorkers() {
    return toolkit_.isIdle() && toolkit_.pendingEvents() == 0 && !program_.state.anyWorkerAlive();
}

bool SimRunner::startAndWaitForWindow(std::string& why) {
    thread_ = std::thread([this] {
        const int code = runProgram(program_);
        toolkit_.markProgramEnded();
        {
            std::lock_guard lock(mutex_);
            exitCode_ = code;
        }
        ended_.notify_all();
    });
    return waitFor(
        [this] {
            return toolkit_.isWindow(controls::MainWindow) && toolkit_.isVisible(controls::MainWindow) &&
                   toolkit_.isIdle();
        },
        "the main window", why);
}

bool SimRunner::answerBox(const std::string& caption, std::string& why) {
    if (!waitFor(
            [this] {
                return toolkit_.isWindow(controls::MessageBox) && toolkit_.isVisible(controls::MessageBox) &&
                       toolkit_.isIdle();
            },
            "a message box", why)) {
        return false;
    }
    noteOpenBox();
    const std::string button = controls::MessageBox + caption;
    if (!toolkit_.exists(button)) {
        const MessageBoxRecord box = readMessageBox(toolkit_);
        std::string captions;
        for (const auto& b : box.buttons) captions += (captions.empty() ? "" : ", ") + toUtf8(b);
        why = "the box \"" + toUtf8(box.title) + "\" has no " + caption + " button (it has " + captions + ")";
        return false;
    }
    if (!user_.click(button)) {
        why = user_.lastError();
        return false;
    }
    return true;
}

bool SimRunner::advance(std::uint64_t milliseconds, std::string& why) {
    // As ScriptedUser::advance, with a look at any box between timers, so a box that a timer
    // opens is seen with its full countdown before the next timer counts it down.
    if (!toolkit_.waitIdle(options_.waitLimit)) {
        why = "the program was not idle within " + seconds(options_.waitLimit);
        return false;
    }
    noteOpenBox();
    const std::uint64_t target = toolkit_.now() + milliseconds;
    while (toolkit_.fireNextTimer(target)) {
        if (!toolkit_.waitIdle(options_.waitLimit)) {
            why = "the program was not idle within " + seconds(options_.waitLimit) + " after a timer at " +
                  std::to_string(toolkit_.now()) + " ms";
            return false;
        }
        noteOpenBox();
    }
    toolkit_.advanceClockTo(target);
    return true;
}

bool SimRunner::runStep(const ScriptStep& step, std::string& why) {
    // A snapshot records the state as it is, the program's end included.
    if (const auto* snapshot = std::get_if<SnapshotStep>(&step.action)) {
        json state = captureState(toolkit_);
        report_.snapshots.emplace_back(snapshot->label, std::move(state));
        return true;
    }
    // A main window that has gone means the program is on its way out: let it get there, so
    // that the step fails for the right reason.
    if (!toolkit_.isWindow(controls::MainWindow)) waitForEnd(options_.waitLimit);
    if (programEnded()) {
        why = "the program has already ended (exit code " + std::to_string(*waitForEnd({})) + ")";
        return false;
    }
    const auto done = [&](bool ok) {
        if (!ok) why = user_.lastError();
        return ok;
    };
    return std::visit(
        Overloaded{
            [&](const ClickStep& s) { return done(user_.click(s.control)); },
            [&](const ClickRowStep& s) { return done(user_.clickRow(s.list, s.row)); },
            [&](const DoubleClickRowStep& s) { return done(user_.doubleClickRow(s.list, s.row)); },
            [&](const MenuStep& s) {
                if (!user_.click(kOptionsButton)) return done(false);
                if (toolkit_.menuOpenFor(controls::OptionsMenu).empty()) {
                    why = "the options menu did not open";
                    return false;
                }
                return done(user_.chooseMenuItem(controls::OptionsMenu, s.item));
            },
            [&](const DropStep& s) { return done(user_.dropFiles(controls::MainWindow, s.paths)); },
            [&](const DialogStep& s) {
                user_.answerNextDialog(s.path);
                return true;
            },
            [&](const FormatStep& s) {
                user_.answerNextFormat(s.format, s.fileSystem, s.label);
                return true;
            },
            [&](const AnswerStep& s) { return answerBox(s.button, why); },
            [&](const AdvanceStep& s) { return advance(s.milliseconds, why); },
            [&](const WaitIdleStep&) {
                return waitFor([this] { return idleWithoutWorkers(); }, "an idle program with no worker running", why);
            },
            [&](const WaitStatusStep& s) {
                return waitFor(
                    [&] {
                        return toolkit_.exists(controls::StatusBar) &&
                               toolkit_.statusText(controls::StatusBar, 3).find(s.text) != std::wstring::npos;
                    },
                    "the status \"" + toUtf8(s.text) + "\"", why);
            },
            [&](const CloseStep&) { return done(user_.requestClose(controls::MainWindow)); },
            [&](const KeyStep& s) { return done(user_.pressKey(s.key, s.shift)); },
            [&](const SpinStep& s) { return done(user_.setSpin(s.control, s.value)); },
            [&](const TypeStep& s) { return done(user_.typeText(s.control, s.text)); },
            [&](const ChooseStep& s) { return done(user_.chooseComboItem(s.control, s.index)); },
            [&](const HoldApplyStep& s) {
                machine_->holdApplies(s.hold);
                return true;
            },
            [&](const WaitApplyHeldStep&) {
                return waitFor([this] { return machine_->applyHold().held(); }, "an image apply held", why);
            },
            [&](const ReleaseApplyStep&) {
                machine_->releaseApply();
                return true;
            },
            [&](const SnapshotStep&) { return true; },  // recorded above, before the checks
        },
        step.action);
}

void SimRunner::closeAfterScript() {
    if (user_.requestClose(controls::MainWindow)) {
        if (const auto code = waitForEnd(options_.waitLimit)) {
            report_.ending = "closedAfterScript";
            report_.exitCodeAfterClose = *code;
            return;
        }
        closeProblem_ = "the program did not end within " + seconds(options_.waitLimit) + " of a close request";
    } else {
        closeProblem_ = "the main window could not be closed as a person would: " + user_.lastError();
    }
    // Past what a person could do: the box (which then answers Cancel) and the window are told
    // to close as the system would at log-off.
    for (const std::string& window : {controls::MessageBox, controls::MainWindow}) {
        if (!toolkit_.isWindow(window)) continue;
        Event close;
        close.kind = EventKind::Close;
        close.window = window;
        toolkit_.postEvent(close);
        toolkit_.waitIdle(options_.waitLimit);
    }
    if (const auto code = waitForEnd(options_.waitLimit)) {
        report_.ending = "forced";
        report_.exitCodeAfterClose = *code;
    } else {
        report_.ending = "notEnded";
        closeProblem_ += "; it did not end when its windows were closed either";
    }
}

RunOutcome SimRunner::run(const std::vector<ScriptStep>& steps) {
    std::string why;
    const bool started = startAndWaitForWindow(why);
    std::optional<FailedStep> failed;
    if (started) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            traceLine("> " + describeStep(steps[i]) + "\n");
            if (!runStep(steps[i], why)) {
                failed = FailedStep{i + 1, steps[i].source, why};
                traceLine("! step " + std::to_string(i + 1) + " failed: " + why + "\n");
                break;
            }
        }
    } else if (!programEnded()) {
        failed = FailedStep{0, nullptr, why};  // the program never got as far as its window
    } else if (!steps.empty()) {
        failed = FailedStep{1, steps.front().source, "the program ended before its window was shown"};
    }

    // A program whose main window has gone is on its way out; let it finish.
    if (started && !programEnded() && !toolkit_.isWindow(controls::MainWindow)) {
        waitForEnd(options_.waitLimit);
    }
    RunOutcome outcome = failed ? RunOutcome::StepFailed : RunOutcome::ProgramEnded;
    if (programEnded()) {
        report_.exitCode = waitForEnd({});
        report_.ending = "script";
        std::lock_guard lock(mutex_);
        report_.finalState = mainWindowLastState_ ? *mainWindowLastState_ : captureState(toolkit_);
    } else {
        if (!failed) outcome = RunOutcome::StillRunning;
        report_.finalState = captureState(toolkit_);
        machine_->holdApplies(false);  // a held apply would keep the program from ending
        closeAfterScript();
    }
    report_.failedStep = failed;
    report_.calls = machine_->calls();
    report_.callCounts = machine_->callCounts();
    report_.faults = toolkit_.faults();
    if (programEnded() && thread_.joinable()) thread_.join();
    return outcome;
}

}  // namespace halvora::sim
