// halvora-sim: the whole program on a simulated machine, from the command line. See
// docs/simulated-machine.md for the machine description, the script and the report.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include <pthread.h>
#include <signal.h>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/real/sim_real_disks.hpp"
#include "platform/sim/runner/sim_runner.hpp"
#include "platform/sim/runner/sim_runner_options.hpp"
#include "platform/sim/runner/sim_runner_script.hpp"

namespace {

constexpr int kExitUsage = 64;         // a bad option, description or script
constexpr int kExitStepFailed = 65;    // a step could not be done
constexpr int kExitStillRunning = 66;  // the script ended with the program still running

int usageError(const std::string& message) {
    std::cerr << "halvora-sim: " << message << "\n" << halvora::sim::kRunnerUsage;
    return kExitUsage;
}

// Ctrl-C, a terminal closed or a kill: the mounts and loop devices made for real disks go
// before the run ends, with the status a shell gives for the signal.
void watchStopSignals() {
    static sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([] {
        int signal = 0;
        while (sigwait(&signals, &signal) != 0) {}
        std::cerr << "halvora-sim: stopped by signal " << signal << "\n";
        halvora::sim::closeAllRealDisks();
        std::_Exit(128 + signal);
    }).detach();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace halvora::sim;
    // Before any thread starts, so that every thread inherits the mask and only the watcher
    // takes these signals.
    watchStopSignals();
    std::string error;
    const auto line = parseRunnerCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!line) return usageError(error);

    const auto machine = SimMachine::load(line->machine, error);
    if (!machine) return usageError(error);
    std::vector<ScriptStep> steps;
    if (!line->script.empty()) {
        auto parsed = loadScript(line->script, error);
        if (!parsed) return usageError(error);
        steps = std::move(*parsed);
    }

    // The report is written over whatever has its name: never over the run's own input.
    for (const auto& [input, what] :
         {std::pair{line->machine, "machine description"}, std::pair{line->script, "script"}}) {
        std::error_code same;
        if (!line->report.empty() && !input.empty() && std::filesystem::equivalent(line->report, input, same)) {
            return usageError("the report would overwrite the " + std::string(what) + " " + input);
        }
    }
    if (!line->report.empty() && !std::ofstream(line->report, std::ios::binary | std::ios::app)) {
        return usageError("cannot write the report to " + line->report);
    }

    RunnerOptions options;
    options.waitLimit = line->waitLimit;
    if (line->trace) options.trace = &std::cout;
    // The runner is not destroyed when the program could not be ended: its thread still uses it.
    auto* runner = new SimRunner(machine, line->programArguments.value_or(machine->description().arguments), options);
    const RunOutcome outcome = runner->run(steps);
    RunReport& report = runner->report();

    int status = 0;
    if (outcome == RunOutcome::ProgramEnded) {
        status = exitStatusOf(report.exitCode.value_or(0));
    } else if (outcome == RunOutcome::StepFailed) {
        status = kExitStepFailed;
        const FailedStep& failed = *report.failedStep;
        if (failed.number == 0) {
            std::cerr << "halvora-sim: the program did not get as far as its window: " << failed.why << "\n";
        } else {
            std::cerr << "halvora-sim: step " << failed.number << " " << failed.step.dump() << " failed: " << failed.why
                      << "\n";
        }
    } else {
        status = kExitStillRunning;
        std::cerr << "halvora-sim: the script ended with the program still running; it was closed\n";
    }
    if (!runner->closeProblem().empty()) std::cerr << "halvora-sim: " << runner->closeProblem() << "\n";

    // The real disks' FAT volumes are written back and every mount and loop device goes, also
    // when the program could not be ended.
    if (!machine->flushRealDisks(error)) {
        std::cerr << "halvora-sim: " << error << "\n";
        if (status == 0) status = kExitStepFailed;
    }
    machine->closeRealDisks();

    if (!line->report.empty() && !writeReport(report, line->report, error)) {
        std::cerr << "halvora-sim: " << error << "\n";
        if (status == 0) status = kExitUsage;
    }
    std::cout.flush();
    if (!runner->programEnded()) std::_Exit(status);
    delete runner;
    return status;
}
