#pragma once
// The message queue of one simulated interface thread: posted events, WM_COPYDATA requests
// sent by other programs, and the window calls of the program's worker threads, all of which
// Windows delivers to the receiving thread only while it waits for its next message. It also
// tells the scripted user when the interface thread is idle.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.hpp"

namespace halvora::sim {

class SimEventQueue : public std::enable_shared_from_this<SimEventQueue> {
public:
    // Runs a copy-data request for `window` on the interface thread and gives the window
    // procedure's result.
    using Dispatcher = std::function<std::intptr_t(const std::string& window, const void* data, std::uint32_t size)>;

    void setDispatcher(Dispatcher dispatcher);

    void post(Event event);
    // The interface thread's wait: handles copy-data requests until an event is queued.
    Event wait();

    // Delivers a copy of `size` bytes of `data` (or null with the claimed size) and blocks until
    // the interface thread has handled it. Gives up with 0 after `timeout`, or at once when the
    // interface thread has ended. A send from the interface thread itself is handled directly,
    // as SendMessage does within one thread.
    std::intptr_t sendCopyData(const std::string& window, const void* data, std::uint32_t size,
                               std::chrono::milliseconds timeout);

    // Idle: the interface thread is blocked in wait() with no event queued and no request
    // pending. An ended interface thread also counts as idle: nothing more will happen there.
    // A thread that has called wait() ends its turn as the interface thread when it exits, so a
    // test that ran the interface on a thread of its own need not say so.
    bool isIdle();
    bool waitIdle(std::chrono::milliseconds timeout);

    // The interface thread will not wait again (the program returned, or its toolkit is going).
    // Until a thread calls wait() again, sends fail at once and the queue counts as idle.
    void close();
    bool closed();
    void interfaceThreadExited(std::thread::id thread);

    std::size_t pendingEvents();

    // A worker's call that changes or reads a control is, on Windows, a message sent to the
    // interface thread: it runs only while that thread waits for messages (in its loop or a
    // message box's), and the worker waits until then. beginSentCall blocks the calling worker
    // until the interface thread gives it a turn and keeps that thread waiting until
    // endSentCall. False (no turn, go on at once) from the interface thread itself, from threads
    // that are not the program's workers, and when there is no interface thread to wait for.
    bool beginSentCall();
    void endSentCall();
    // For a wait of the interface thread on a worker's end (a join): turns asked for meanwhile
    // are still given, so a forced end of a run cannot hang on a worker inside a window call.
    void serveSentCallsUntil(const std::function<bool()>& done);
    // On the interface thread outside wait(): handles the turns and copy-data requests that are
    // waiting now, as a wait that keeps the window answering does.
    void serveSentWork();
    // The queue whose interface thread is the calling thread, if any.
    static std::shared_ptr<SimEventQueue> ofThisThread();

private:
    struct Request;
    struct Turn;
    bool serveTurnLocked(std::unique_lock<std::mutex>& lock);
    bool serveRequestLocked(std::unique_lock<std::mutex>& lock);
    bool idleLocked() const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;
    std::deque<std::shared_ptr<Request>> requests_;
    std::deque<std::shared_ptr<Turn>> turns_;
    std::shared_ptr<Turn> currentTurn_;
    Dispatcher dispatcher_;
    std::thread::id interfaceThread_;
    bool waiting_ = false;
    bool handling_ = false;
    bool closed_ = false;
};

// A worker's turn on the interface thread for the length of one window call. Calls nested in
// it (a screen observer that reads the window) run in the same turn.
class SentCall {
public:
    explicit SentCall(SimEventQueue& queue);
    ~SentCall();
    SentCall(const SentCall&) = delete;
    SentCall& operator=(const SentCall&) = delete;

private:
    SimEventQueue& queue_;
    bool granted_ = false;
};

}  // namespace halvora::sim
