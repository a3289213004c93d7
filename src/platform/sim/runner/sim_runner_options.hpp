#pragma once
// halvora-sim's own command line.

#include <cstdint>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace halvora::sim {

struct RunnerCommandLine {
    std::string machine;
    std::string script;  // "" for none
    std::string report;  // "" for none
    bool trace = false;
    std::chrono::milliseconds waitLimit{60000};
    // After "--", one each, as Windows splits them; nullopt without "--", where the machine
    // description's "arguments" are the run's.
    std::optional<std::vector<std::wstring>> programArguments;
};

inline constexpr char kRunnerUsage[] =
    "usage: halvora-sim --machine M.json [--script S.json] [--report R.json] [--trace]\n"
    "                   [--wait-limit SECONDS] [-- PROGRAM ARGUMENTS...]\n";

// `args` without the program name. Nullopt with `error` set for an unknown or incomplete option.
std::optional<RunnerCommandLine> parseRunnerCommandLine(const std::vector<std::string>& args, std::string& error);

// halvora-sim's exit status for a program's exit code: its low 8 bits, as a process's status
// holds them, except that a code that is not 0 but whose low 8 bits are (256, 0x80000000) is 255,
// so that a failure never reads as success.
int exitStatusOf(std::uint32_t code);

}  // namespace halvora::sim
