#pragma once
// halvora-sim's own command line.

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

}  // namespace halvora::sim
