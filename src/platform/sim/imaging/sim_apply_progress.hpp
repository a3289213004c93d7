#pragma once
// The progress an image apply reports: the percentage of the image's data written and an
// estimate of the time left, from the bytes written and the time taken so far.

#include <chrono>
#include <cstdint>
#include <optional>

namespace halvora::sim {

struct ApplyProgressReport {
    std::uint32_t percent = 0;
    std::int64_t millisecondsLeft = 0;  // 0: not known yet
};

// `done` of `total` bytes after `elapsed`: the percentage rounded down (100 for nothing to
// write), and the time the rest takes at the rate so far; 0 before any byte is written or any
// time has passed.
ApplyProgressReport estimateProgress(std::uint64_t done, std::uint64_t total, std::chrono::milliseconds elapsed);

// Turns wimlib's byte counts into the messages an apply sends: one at the start, then one each
// time the percentage grows. 100 is kept for the end, when the files' metadata is written too.
// The clock starts when the tracker is made.
class ApplyProgressTracker {
public:
    ApplyProgressTracker();

    ApplyProgressReport start() const { return {}; }
    // A report when `done` of `total` bytes make a higher percentage than the last one reported.
    std::optional<ApplyProgressReport> update(std::uint64_t done, std::uint64_t total);
    ApplyProgressReport finish() const { return {100, 0}; }

private:
    std::uint32_t lastPercent_ = 0;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace halvora::sim
