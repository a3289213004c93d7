#include "platform/sim/runner/sim_runner_options.hpp"

#include <cmath>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

std::optional<RunnerCommandLine> parseRunnerCommandLine(const std::vector<std::string>& args, std::string& error) {
    RunnerCommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            line.programArguments.emplace();
            for (++i; i < args.size(); ++i) line.programArguments->push_back(fromUtf8(args[i]));
            break;
        }
        if (arg == "--trace") {
            line.trace = true;
            continue;
        }
        std::string* target = arg == "--machine"  ? &line.machine
                              : arg == "--script" ? &line.script
                              : arg == "--report" ? &line.report
                                                  : nullptr;
        if (!target && arg != "--wait-limit") {
            error = "unknown option \"" + arg + "\"";
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (target) {
            *target = value;
            continue;
        }
        char* end = nullptr;
        const double limit = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end != '\0' || !std::isfinite(limit) || limit <= 0 || limit > 86400) {
            error = "--wait-limit takes seconds (more than 0, at most 86400), not \"" + value + "\"";
            return std::nullopt;
        }
        line.waitLimit = std::chrono::milliseconds(static_cast<long long>(std::ceil(limit * 1000)));
    }
    if (line.machine.empty()) {
        error = "--machine is required";
        return std::nullopt;
    }
    return line;
}

int exitStatusOf(std::uint32_t code) {
    if (code == 0) return 0;
    const int low = static_cast<int>(code & 0xFF);
    return low != 0 ? low : 255;
}

}  // namespace halvora::sim
