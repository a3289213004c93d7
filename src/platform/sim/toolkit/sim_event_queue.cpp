#include "platform/sim/toolkit/sim_event_queue.hpp"

#include "platform/sim/toolkit/sim_program_threads.hpp"

#include <algorithm>

namespace halvora::sim {

namespace {

// Tells the queues a thread has served as interface thread for that the thread is gone.
struct InterfaceThreadExit {
    std::vector<std::weak_ptr<SimEventQueue>> queues;
    ~InterfaceThreadExit() {
        for (const auto& weak : queues) {
            if (auto queue = weak.lock()) queue->interfaceThreadExited(std::this_thread::get_id());
        }
    }
    void add(const std::weak_ptr<SimEventQueue>& queue) {
        std::erase_if(queues, [](const auto& q) { return q.expired(); });
        for (const auto& q : queues) {
            if (!q.owner_before(queue) && !queue.owner_before(q)) return;
        }
        queues.push_back(queue);
    }
};

thread_local InterfaceThreadExit interfaceThreadExit;
thread_local std::weak_ptr<SimEventQueue> queueOfThisThread;
thread_local int sentCallDepth = 0;

}  // namespace

struct SimEventQueue::Turn {
    bool granted = false;
    bool done = false;
};

struct SimEventQueue::Request {
    std::string window;
    std::vector<std::uint8_t> bytes;
    bool nullData = false;
    std::uint32_t size = 0;
    bool done = false;
    std::intptr_t result = 0;

    const void* data() const {
        // A zero-length buffer is still a buffer: keep the pointer non-null unless the sender
        // passed null.
        static const std::uint8_t empty = 0;
        if (nullData) return nullptr;
        return bytes.empty() ? &empty : bytes.data();
    }
};

void SimEventQueue::setDispatcher(Dispatcher dispatcher) {
    std::lock_guard lock(mutex_);
    dispatcher_ = std::move(dispatcher);
}

void SimEventQueue::post(Event event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    changed_.notify_all();
}

Event SimEventQueue::wait() {
    interfaceThreadExit.add(weak_from_this());
    queueOfThisThread = weak_from_this();
    std::unique_lock lock(mutex_);
    interfaceThread_ = std::this_thread::get_id();
    closed_ = false;
    for (;;) {
        if (serveTurnLocked(lock) || serveRequestLocked(lock)) continue;
        if (!events_.empty()) {
            Event event = std::move(events_.front());
            events_.pop_front();
            waiting_ = false;
            changed_.notify_all();
            return event;
        }
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock);
    }
}

std::intptr_t SimEventQueue::sendCopyData(const std::string& window, const void* data, std::uint32_t size,
                                          std::chrono::milliseconds timeout) {
    auto request = std::make_shared<Request>();
    request->window = window;
    request->size = size;
    request->nullData = data == nullptr;
    if (data != nullptr) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        request->bytes.assign(bytes, bytes + size);
    }

    std::unique_lock lock(mutex_);
    if (closed_) return 0;
    if (std::this_thread::get_id() == interfaceThread_) {
        Dispatcher dispatch = dispatcher_;
        lock.unlock();
        return dispatch ? dispatch(window, request->data(), size) : 0;
    }
    requests_.push_back(request);
    changed_.notify_all();
    const bool handled = changed_.wait_for(lock, timeout, [&] { return request->done || closed_; });
    if (!handled || !request->done) {
        // Not taken up in time: withdraw it so that the interface thread never sees it.
        requests_.erase(std::remove(requests_.begin(), requests_.end(), request), requests_.end());
        return 0;
    }
    return request->result;
}

bool SimEventQueue::serveRequestLocked(std::unique_lock<std::mutex>& lock) {
    if (requests_.empty()) return false;
    auto request = requests_.front();
    requests_.pop_front();
    handling_ = true;
    waiting_ = false;
    Dispatcher dispatch = dispatcher_;
    lock.unlock();
    const std::intptr_t result = dispatch ? dispatch(request->window, request->data(), request->size) : 0;
    lock.lock();
    handling_ = false;
    request->done = true;
    request->result = result;
    changed_.notify_all();
    return true;
}

void SimEventQueue::serveSentWork() {
    std::unique_lock lock(mutex_);
    if (interfaceThread_ != std::this_thread::get_id()) return;
    while (serveTurnLocked(lock) || serveRequestLocked(lock)) {}
}

bool SimEventQueue::serveTurnLocked(std::unique_lock<std::mutex>& lock) {
    if (turns_.empty()) return false;
    auto turn = turns_.front();
    turns_.pop_front();
    handling_ = true;
    waiting_ = false;
    turn->granted = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return turn->done; });
    handling_ = false;
    changed_.notify_all();
    return true;
}

bool SimEventQueue::beginSentCall() {
    if (!isProgramWorkerThread()) return false;
    std::unique_lock lock(mutex_);
    if (closed_ || interfaceThread_ == std::thread::id() || interfaceThread_ == std::this_thread::get_id()) {
        return false;
    }
    auto turn = std::make_shared<Turn>();
    turns_.push_back(turn);
    changed_.notify_all();
    changed_.wait(lock, [&] { return turn->granted || closed_; });
    if (!turn->granted) {
        // The interface thread is gone: like a message sent to a window that no longer
        // exists, the call does not wait.
        turns_.erase(std::remove(turns_.begin(), turns_.end(), turn), turns_.end());
        return false;
    }
    currentTurn_ = std::move(turn);
    return true;
}

void SimEventQueue::endSentCall() {
    {
        std::lock_guard lock(mutex_);
        if (currentTurn_) currentTurn_->done = true;
        currentTurn_.reset();
    }
    changed_.notify_all();
}

void SimEventQueue::serveSentCallsUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    while (!done()) {
        if (serveTurnLocked(lock)) continue;
        // The worker's end is not signalled here; look again soon.
        changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
}

std::shared_ptr<SimEventQueue> SimEventQueue::ofThisThread() { return queueOfThisThread.lock(); }

bool SimEventQueue::idleLocked() const {
    if (closed_) return true;
    return waiting_ && !handling_ && events_.empty() && requests_.empty() && turns_.empty();
}

bool SimEventQueue::isIdle() {
    std::lock_guard lock(mutex_);
    return idleLocked();
}

bool SimEventQueue::waitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return idleLocked(); });
}

void SimEventQueue::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        requests_.clear();
        // Workers waiting for a turn go on at once; they take their turns out themselves.
    }
    changed_.notify_all();
}

void SimEventQueue::interfaceThreadExited(std::thread::id thread) {
    {
        std::lock_guard lock(mutex_);
        if (thread != interfaceThread_) return;
        interfaceThread_ = std::thread::id();
    }
    close();
}

bool SimEventQueue::closed() {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::size_t SimEventQueue::pendingEvents() {
    std::lock_guard lock(mutex_);
    return events_.size();
}

SentCall::SentCall(SimEventQueue& queue) : queue_(queue) {
    if (sentCallDepth++ == 0) granted_ = queue_.beginSentCall();
}

SentCall::~SentCall() {
    --sentCallDepth;
    if (granted_) queue_.endSentCall();
}

}  // namespace halvora::sim
