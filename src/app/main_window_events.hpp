#pragma once
// Events for the main window's loop, as the workers and the commands post them.

#include <cstdint>

#include "app/program_context.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

// Safe from any thread: the event is handled on the interface thread.
inline void postToMainWindow(Program& program, int code, std::uint64_t wparam = 0, std::int64_t lparam = 0) {
    Event event;
    event.kind = EventKind::Custom;
    event.window = kMainWindow;
    event.code = code;
    event.wparam = wparam;
    event.lparam = lparam;
    program.ui.postEvent(event);
}

}  // namespace halvora
