#pragma once
// The program's view of what happens in its windows. The win32 toolkit turns window messages
// into these; the sim toolkit gets them from the scripted user. Nothing here is a window handle.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/control_name.hpp"

namespace halvora {

enum class EventKind {
    Control,    // a control was used: `control` names it, `code` is the event type below
    Menu,       // an item of a pop-up menu was chosen: `code` is the item number
    DropFiles,  // files were dropped on the window: `files`
    Timer,      // a timer fired: `code` is the timer number
    Close,      // a close request for `window` (the close box, Alt+F4 or a posted WM_CLOSE)
    Custom,     // a message posted by a worker: `code` is its number, `wparam` / `lparam` its data
    CopyData,   // WM_COPYDATA from another process: `data` holds a copy of its cbData bytes
    Key,        // a key pressed in a window that takes its keys itself: `code` is its virtual-key
                // code, `wparam` 1 when Shift was held
};

// Control event types, as the platform numbers them.
inline constexpr int kLeftClick = 0;
inline constexpr int kDoubleClick = 2;
inline constexpr int kChange = 768;

// Virtual-key codes of the keys a window with kWindowTakesKeys receives as Key events.
inline constexpr int kKeyTab = 0x09;     // VK_TAB
inline constexpr int kKeyEnter = 0x0D;   // VK_RETURN
inline constexpr int kKeyEscape = 0x1B;  // VK_ESCAPE
inline constexpr int kKeySpace = 0x20;   // VK_SPACE
inline constexpr int kKeyLeft = 0x25;    // VK_LEFT
inline constexpr int kKeyUp = 0x26;      // VK_UP
inline constexpr int kKeyRight = 0x27;   // VK_RIGHT
inline constexpr int kKeyDown = 0x28;    // VK_DOWN

// The numbers a program may give the messages it posts to its own windows (Custom events):
// the private range from WM_APP on, which the toolkit uses for none of its own windows.
inline constexpr int kFirstCustomCode = 0x8000;  // WM_APP
inline constexpr int kLastCustomCode = 0xBFFF;

struct Event {
    EventKind kind = EventKind::Control;
    ControlName window;   // the top-level window the event belongs to ("MainWindow", "MessageBox")
    ControlName control;  // Control events: the control's name
    int code = 0;         // event type, menu item, timer number or message number
    int row = -1;         // Control events on lists: the row under the click, -1 for none
    std::uint64_t wparam = 0;
    std::int64_t lparam = 0;
    std::vector<std::wstring> files;  // DropFiles
    std::vector<std::uint8_t> data;   // CopyData
};

}  // namespace halvora
