#pragma once
// A gate that a test sets in the imaging library's apply, so that it can act while an
// installation runs (ask to cancel, hand arguments over, let the apply end under an open box)
// at a point it chooses rather than at a moment it guesses. While holding is on, each apply
// stops right after its first progress message, once the callbacks have answered it, and
// waits there until released. Nothing here measures time except the test's own wait.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace halvora::sim {

class ApplyHold {
public:
    // On: every apply from now on stops at the gate. Off: none does, and one held is let go.
    void setHolding(bool on);
    // Lets the apply held at the gate go on; with none held yet, the next one to reach the
    // gate passes it (so a release that comes first is not lost).
    void release();
    // Waits until an apply is held at the gate; false when none was within `timeout`.
    bool waitHeld(std::chrono::milliseconds timeout);
    bool held() const;

    // Called by the applying thread at the gate: waits while holding is on until released.
    void pass();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool holding_ = false;
    bool held_ = false;
    int releases_ = 0;  // releases given and not yet used by an apply at the gate
};

}  // namespace halvora::sim
