#pragma once
// Events for the main window's loop, as the workers and the commands post them.

#include <cstdint>

#include "ui/main_window_layout.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// Messages that workers post to the main window.
inline constexpr int kApplySucceeded = 0x949C;
inline constexpr int kApplyFailed = 0x949D;
inline constexpr int kBootConfigDone = 0x949E;
// The install-file search has ended; the worker only returns after posting it.
inline constexpr int kSearchFinished = 0x949F;
static_assert(kApplySucceeded >= kFirstCustomCode && kSearchFinished <= kLastCustomCode);

// Safe from any thread: the event is handled on the interface thread.
inline void postToMainWindow(Program& program, int code, std::uint64_t wparam = 0, std::int64_t lparam = 0) {
    Event event;
    event.kind = EventKind::Custom;
    event.window = controls::MainWindow;
    event.code = code;
    event.wparam = wparam;
    event.lparam = lparam;
    program.ui.postEvent(event);
}

}  // namespace halvora
