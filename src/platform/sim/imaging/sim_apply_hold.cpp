#include "platform/sim/imaging/sim_apply_hold.hpp"

namespace halvora::sim {

void ApplyHold::setHolding(bool on) {
    {
        std::lock_guard lock(mutex_);
        holding_ = on;
        if (!on) releases_ = 0;
    }
    changed_.notify_all();
}

void ApplyHold::release() {
    {
        std::lock_guard lock(mutex_);
        ++releases_;
    }
    changed_.notify_all();
}

bool ApplyHold::waitHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return held_; });
}

bool ApplyHold::held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void ApplyHold::pass() {
    std::unique_lock lock(mutex_);
    if (!holding_) return;
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !holding_ || releases_ > 0; });
    if (holding_) --releases_;
    held_ = false;
    changed_.notify_all();
}

}  // namespace halvora::sim
