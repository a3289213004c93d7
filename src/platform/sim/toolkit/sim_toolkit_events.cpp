// Timers on the virtual clock, the event queue and the interface thread's idleness.

#include <algorithm>

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

namespace {

// SetTimer raises shorter intervals to USER_TIMER_MINIMUM.
constexpr int kTimerMinimum = 10;

}  // namespace

void SimToolkit::setTimer(const ControlName& window, int id, int milliseconds) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!findWindow(window, "setTimer")) return;
    const int interval = std::max(milliseconds, kTimerMinimum);
    // Setting a timer that exists starts it over with the new interval.
    std::erase_if(timers_, [&](const SimTimer& t) { return t.window == window && t.id == id; });
    timers_.push_back(SimTimer{window, id, interval, machine_->virtualNow() + interval, timerOrder_++});
}

void SimToolkit::killTimer(const ControlName& window, int id) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    std::erase_if(timers_, [&](const SimTimer& t) { return t.window == window && t.id == id; });
}

std::optional<int> SimToolkit::timerInterval(const std::string& window, int id) {
    std::lock_guard lock(mutex_);
    for (const auto& t : timers_) {
        if (t.window == window && t.id == id) return t.interval;
    }
    return std::nullopt;
}

std::uint64_t SimToolkit::now() { return machine_->virtualNow(); }

bool SimToolkit::fireNextTimer(std::uint64_t until) {
    Event event;
    std::uint64_t at = 0;
    {
        std::lock_guard lock(mutex_);
        auto next = std::min_element(timers_.begin(), timers_.end(), [](const SimTimer& a, const SimTimer& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == timers_.end() || next->due > until) return false;
        at = next->due;
        next->due += next->interval;
        next->order = timerOrder_++;
        event.kind = EventKind::Timer;
        event.window = next->window;
        event.code = next->id;
    }
    machine_->advanceVirtualTime(at);
    queue_->post(std::move(event));
    return true;
}

void SimToolkit::advanceClockTo(std::uint64_t until) { machine_->advanceVirtualTime(until); }

void SimToolkit::keepAnsweringFor(int milliseconds) {
    // The time passes at once; what other threads sent meanwhile (a worker's window call, a
    // second start's WM_COPYDATA) is handled as the real wait would handle it.
    machine_->advanceVirtualTime(machine_->virtualNow() + static_cast<std::uint64_t>(std::max(milliseconds, 0)));
    queue_->serveSentWork();
}

void SimToolkit::postEvent(const Event& event) { queue_->post(event); }

Event SimToolkit::waitEvent() {
    Event event = queue_->wait();
    if (event.kind == EventKind::Close) {
        std::lock_guard lock(mutex_);
        const auto window = controls_.find(event.window);
        if (window != controls_.end() && window->second.isWindow) window->second.closeTaken = true;
    }
    return event;
}

bool SimToolkit::isIdle() { return queue_->isIdle(); }

bool SimToolkit::waitIdle(std::chrono::milliseconds timeout) { return queue_->waitIdle(timeout); }

std::size_t SimToolkit::pendingEvents() { return queue_->pendingEvents(); }

void SimToolkit::markProgramEnded() { queue_->close(); }

}  // namespace halvora::sim
