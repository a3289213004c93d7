#pragma once
// One run of the whole program on a simulated machine, driven by a script: the program on its
// own interface thread, the runner playing the person. Used by halvora-sim; a test can drive
// it the same way without starting a process.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/runner/sim_runner_report.hpp"
#include "platform/sim/runner/sim_runner_script.hpp"
#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "ui/program_context.hpp"

namespace halvora::sim {

struct RunnerOptions {
    // How long any wait may take: for the window to appear, to be idle, for a box or a status.
    std::chrono::milliseconds waitLimit{60000};
    // Where status changes, boxes and steps are printed as they happen; null for none.
    std::ostream* trace = nullptr;
};

enum class RunOutcome {
    ProgramEnded,  // the program ended during the script (or before it)
    StepFailed,    // a step could not be done; the program was then closed
    StillRunning,  // the script ended with the program still running; it was then closed
};

class SimRunner {
public:
    SimRunner(std::shared_ptr<SimMachine> machine, std::vector<std::wstring> arguments, RunnerOptions options);
    ~SimRunner();
    SimRunner(const SimRunner&) = delete;
    SimRunner& operator=(const SimRunner&) = delete;

    // Starts the program, runs the steps and brings the program to its end. Call once.
    RunOutcome run(const std::vector<ScriptStep>& steps);

    RunReport& report() { return report_; }
    // False when the program did not end even when forced (its thread is then left running and
    // the process must end without waiting for it).
    bool programEnded() const;
    // Why the closing after the script did not go as a person's close would, or "".
    const std::string& closeProblem() const { return closeProblem_; }

private:
    void onScreenChange(const SimScreenChange& change);
    void traceLine(const std::string& line);

    bool startAndWaitForWindow(std::string& why);
    bool runStep(const ScriptStep& step, std::string& why);
    bool answerBox(const std::string& caption, std::string& why);
    bool advance(std::uint64_t milliseconds, std::string& why);
    // Polls `done` until it holds, the program ends or the wait limit passes.
    bool waitFor(const std::function<bool()>& done, const std::string& what, std::string& why);
    bool idleWithoutWorkers();
    // Fills in the open box's countdown and icon while its thread waits in it.
    void noteOpenBox();
    std::optional<int> waitForEnd(std::chrono::milliseconds limit);
    void closeAfterScript();

    std::shared_ptr<SimMachine> machine_;
    RunnerOptions options_;
    SimSystem system_;
    SimToolkit toolkit_;
    ScriptedUser user_;
    Program program_;
    std::thread thread_;

    mutable std::mutex mutex_;  // guards what both threads write: the end, the boxes, the trace
    std::condition_variable ended_;
    std::optional<int> exitCode_;
    std::optional<nlohmann::json> mainWindowLastState_;
    bool boxOpen_ = false;
    bool boxNoted_ = false;

    RunReport report_;
    std::string closeProblem_;
};

}  // namespace halvora::sim
