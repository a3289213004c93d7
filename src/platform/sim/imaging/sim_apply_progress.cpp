#include "platform/sim/imaging/sim_apply_progress.hpp"

#include <algorithm>

namespace halvora::sim {

ApplyProgressReport estimateProgress(std::uint64_t done, std::uint64_t total, std::chrono::milliseconds elapsed) {
    if (total == 0) return {100, 0};
    done = std::min(done, total);
    ApplyProgressReport report;
    report.percent = static_cast<std::uint32_t>(static_cast<long double>(done) * 100 / total);
    if (done > 0 && elapsed.count() > 0) {
        // Long double: milliseconds times bytes overflows 64 bits for a large image.
        const long double left = static_cast<long double>(elapsed.count()) * (total - done) / done;
        report.millisecondsLeft = static_cast<std::int64_t>(left + 0.5L);
    }
    return report;
}

ApplyProgressTracker::ApplyProgressTracker() : started_(std::chrono::steady_clock::now()) {}

std::optional<ApplyProgressReport> ApplyProgressTracker::update(std::uint64_t done, std::uint64_t total) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
    ApplyProgressReport report = estimateProgress(done, total, elapsed);
    report.percent = std::min<std::uint32_t>(report.percent, 99);
    if (report.percent <= lastPercent_) return std::nullopt;
    lastPercent_ = report.percent;
    return report;
}

}  // namespace halvora::sim
