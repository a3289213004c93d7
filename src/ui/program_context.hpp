#pragma once
// What every handler of the program works with: the platform, the process-wide state, and the
// events that a message box held back while it was open.

#include <any>
#include <deque>
#include <memory>

#include "platform/event.hpp"
#include "platform/system.hpp"
#include "platform/toolkit.hpp"
#include "ui/app_state.hpp"
#include "ui/control_names.hpp"

namespace halvora {

struct Program {
    Program(System& sys, Toolkit& toolkit) : system(sys), ui(toolkit) {}
    System& system;
    Toolkit& ui;
    AppState state;
    // Worker completion events that arrived while a message box was open; the main loop
    // handles them before it waits for new ones.
    std::deque<Event> heldEvents;
    bool quit = false;
    // What the installation or boot repair under way was asked to do, read from the window when
    // it started; the steps after each worker's end take it from here. Its types belong to the
    // install floor (install/installation_request.hpp), above this one.
    std::any request;
    // The worker threads. Each is joined only once it has posted its last event (it then only
    // returns), so the interface thread never waits for a worker that may still use controls.
    std::unique_ptr<WorkerThread> applyThread;
    std::unique_ptr<WorkerThread> bootThread;
    std::unique_ptr<WorkerThread> searchThread;
};

// Waits for a worker that has posted its last event (it only returns after that) and lets it go.
inline void joinFinishedWorker(std::unique_ptr<WorkerThread>& worker) {
    if (worker) worker->join();
    worker.reset();
}

}  // namespace halvora
