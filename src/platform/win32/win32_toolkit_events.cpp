// Window messages into the program's events, the event queue, and timers.

#include "platform/win32/win32_toolkit.hpp"

#include <shellapi.h>

namespace halvora::win32 {

namespace {

constexpr UINT kFirstCustomMessage = kFirstCustomCode;
constexpr UINT kLastCustomMessage = kLastCustomCode;
static_assert(kFirstCustomMessage == WM_APP, "the program's messages are the application's own range");

std::vector<std::wstring> droppedFiles(HDROP drop) {
    std::vector<std::wstring> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring file(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, file.data(), length + 1);
        file.resize(got);
        files.push_back(std::move(file));
    }
    DragFinish(drop);
    return files;
}

}  // namespace

void Win32Toolkit::queueEvent(Event event) {
    std::lock_guard lock(eventsMutex_);
    events_.push_back(std::move(event));
}

bool Win32Toolkit::takeEvent(Event& event) {
    std::lock_guard lock(eventsMutex_);
    if (events_.empty()) return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void Win32Toolkit::postEvent(const Event& event) {
    queueEvent(event);
    // The wake-up goes to a window rather than to the thread, so that it is not lost while a
    // modal loop (a menu, moving the window) pumps messages instead of waitEvent.
    if (serviceWindow_) PostMessageW(serviceWindow_.get(), kWakeMessage, 0, 0);
}

Event Win32Toolkit::mainWindowClose() {
    Event event;
    event.kind = EventKind::Close;
    std::lock_guard lock(namesMutex_);
    for (auto& [name, window] : windows_) {
        if (window->owner.empty()) event.window = ControlName(name);
    }
    return event;
}

bool Win32Toolkit::takeKey(const MSG& msg, HWND root) {
    if (msg.message != WM_KEYDOWN || !root) return false;
    switch (msg.wParam) {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_TAB:
        case VK_SPACE:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            break;
        default:
            return false;
    }
    WindowRecord* window = findWindow(root);
    if (!window || !window->takesKeys) return false;
    Event event;
    event.kind = EventKind::Key;
    event.window = ControlName(window->name);
    event.code = static_cast<int>(msg.wParam);
    event.wparam = (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0;
    queueEvent(std::move(event));
    return true;
}

Event Win32Toolkit::waitEvent() {
    for (;;) {
        Event event;
        if (takeEvent(event)) {
            if (quitRequested_) closeOwed_ = true;
            return event;
        }
        if (closeOwed_) {
            closeOwed_ = false;
            return mainWindowClose();
        }
        MSG msg{};
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Nothing in this program posts WM_QUIT; if something else does, the program is
            // asked to close its main window as if the user had. It is not posted again: the
            // next GetMessageW would return it at once, and a program that must wait for a
            // worker before it closes would spin at full speed until then.
            quitRequested_ = true;
            return mainWindowClose();
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        // The message box answers its keys itself; a key taken here makes no WM_CHAR and no
        // button press on the key's release.
        if (takeKey(msg, root)) continue;
        // Tab and arrow keys move between the controls of the window the message is for.
        if (root && findWindow(root) && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Toolkit::keepAnsweringFor(int milliseconds) {
    // Paint, sent and posted messages only: input (clicks, keys) stays in the queue until the
    // program waits for events again, and what the window procedures make of the rest (timers,
    // worker messages, a hand-over) is queued as events.
    constexpr UINT kQueues = PM_QS_PAINT | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE;
    constexpr DWORD kWake = QS_PAINT | QS_SENDMESSAGE | QS_POSTMESSAGE | QS_TIMER;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kQueues)) {
            if (msg.message == WM_QUIT) {
                // Taken off the queue here, so the next waitEvent asks the window to close.
                quitRequested_ = true;
                closeOwed_ = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), kWake, 0);
    }
}

void Win32Toolkit::setTimer(const ControlName& window, int id, int milliseconds) {
    HWND hwnd = handleOf(window);
    if (!hwnd) return;
    runOnUiThread([&] { SetTimer(hwnd, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr); });
}

void Win32Toolkit::killTimer(const ControlName& window, int id) {
    HWND hwnd = handleOf(window);
    if (!hwnd) return;
    runOnUiThread([&] { KillTimer(hwnd, static_cast<UINT_PTR>(id)); });
}

LRESULT Win32Toolkit::serviceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kWakeMessage:
            return 0;  // waitEvent looks at the queue after every dispatched message
        case kRunMessage:
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return 0;
        case kTaskbarValueMessage:
            setTaskbarValueOnUiThread(wParam, static_cast<std::uint64_t>(lParam));
            return 0;
        case kTaskbarClearMessage:
            clearTaskbarOnUiThread();
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT Win32Toolkit::topLevelMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = commonMessage(hwnd, message, wParam, lParam, handled);
    if (handled) return result;

    if (message >= kFirstCustomMessage && message <= kLastCustomMessage) {
        if (WindowRecord* window = findWindow(hwnd)) {
            Event event;
            event.kind = EventKind::Custom;
            event.window = ControlName(window->name);
            event.code = static_cast<int>(message);
            event.wparam = wParam;
            event.lparam = lParam;
            queueEvent(std::move(event));
        }
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            // The program decides whether and when the window goes.
            if (WindowRecord* window = findWindow(hwnd)) {
                Event event;
                event.kind = EventKind::Close;
                event.window = ControlName(window->name);
                queueEvent(std::move(event));
            }
            return 0;
        case WM_TIMER:
            if (WindowRecord* window = findWindow(hwnd)) {
                Event event;
                event.kind = EventKind::Timer;
                event.window = ControlName(window->name);
                event.code = static_cast<int>(wParam);
                queueEvent(std::move(event));
            }
            return 0;
        case WM_DROPFILES: {
            Event event;
            event.kind = EventKind::DropFiles;
            event.files = droppedFiles(reinterpret_cast<HDROP>(wParam));
            if (WindowRecord* window = findWindow(hwnd)) {
                event.window = ControlName(window->name);
                queueEvent(std::move(event));
            }
            return 0;
        }
        case WM_COPYDATA: {
            // The data is only valid until this returns, and this may run inside any modal loop:
            // copy it and let the main loop take it up.
            WindowRecord* window = findWindow(hwnd);
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!window || !window->acceptsCopyData.load()) break;
            if (!data || !data->lpData || data->cbData > kCopyDataLimit) return FALSE;
            Event event;
            event.kind = EventKind::CopyData;
            event.window = ControlName(window->name);
            const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
            event.data.assign(bytes, bytes + data->cbData);
            // A sent message is handled inside GetMessageW, which then goes on waiting for a posted
            // one: without a wake-up the event would sit in the queue until the next input.
            postEvent(event);
            return TRUE;
        }
        case WM_SIZE:
            if (WindowRecord* window = findWindow(hwnd)) layoutStatusBars(window->name);
            return 0;
        case WM_ERASEBKGND: {
            WindowRecord* window = findWindow(hwnd);
            if (!window || window->backColour == kDefaultColour) break;
            RECT client{};
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brushFor(static_cast<COLORREF>(window->backColour)));
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Toolkit::panelMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = commonMessage(hwnd, message, wParam, lParam, handled);
    return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
}

// What a window and a panel do alike for the controls inside them.
LRESULT Win32Toolkit::commonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    switch (message) {
        case WM_COMMAND: {
            // Menus report through TrackPopupMenu's return value, and IsDialogMessageW sends
            // IDOK / IDCANCEL without a control for Enter and Esc: only controls make events.
            auto* from = findControl(reinterpret_cast<HWND>(lParam));
            if (!from) return 0;
            handled = true;
            const int code = HIWORD(wParam);
            int event = -1;
            switch (from->kind) {
                case ControlKind::Button:
                case ControlKind::Check:
                    if (code == BN_CLICKED) event = kLeftClick;
                    break;
                case ControlKind::ClickLabel:
                    if (code == STN_CLICKED) event = kLeftClick;
                    if (code == STN_DBLCLK) event = kDoubleClick;
                    break;
                case ControlKind::Spin:
                    if (code == EN_CHANGE && from->quiet.load() == 0) event = kChange;
                    break;
                case ControlKind::Combo:
                    if (code == CBN_SELCHANGE) event = kChange;
                    break;
                default:
                    break;
            }
            if (event >= 0) {
                Event e;
                e.kind = EventKind::Control;
                e.window = ControlName(from->window);
                e.control = ControlName(from->name);
                e.code = event;
                queueEvent(std::move(e));
            }
            return 0;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            ControlRecord* from = header ? findControl(header->hwndFrom) : nullptr;
            if (!from || (from->kind != ControlKind::List && from->kind != ControlKind::DriveRow)) return 0;
            handled = true;
            if (header->code == NM_CUSTOMDRAW) {
                return customDrawList(*from, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            }
            if (header->code == NM_CLICK || header->code == NM_DBLCLK) {
                Event e;
                e.kind = EventKind::Control;
                e.window = ControlName(from->window);
                e.control = ControlName(from->name);
                e.code = header->code == NM_CLICK ? kLeftClick : kDoubleClick;
                e.row = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
                queueEvent(std::move(e));
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX: {
            handled = true;
            const LRESULT standard = DefWindowProcW(hwnd, message, wParam, lParam);
            return colourMessage(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), standard);
        }
        default:
            return 0;
    }
}

LRESULT Win32Toolkit::colourMessage(HDC dc, HWND control, LRESULT defaultBrush) {
    ControlRecord* record = findControl(control);
    if (!record) return defaultBrush;
    const std::int32_t text = record->textColour;
    std::int32_t background = record->backColour;
    if (background == kDefaultColour) {
        // Without a colour of its own a control sits on its window's coloured client area, as
        // an icon or a label of the message box does.
        if (WindowRecord* window = findWindow(GetParent(control))) background = window->backColour;
    }
    if (text != kDefaultColour) SetTextColor(dc, static_cast<COLORREF>(text));
    if (background == kDefaultColour) return defaultBrush;
    SetBkColor(dc, static_cast<COLORREF>(background));
    return reinterpret_cast<LRESULT>(brushFor(static_cast<COLORREF>(background)));
}

HBRUSH Win32Toolkit::brushFor(COLORREF colour) {
    std::lock_guard lock(namesMutex_);
    auto& brush = brushes_[colour];
    if (!brush) brush.reset(CreateSolidBrush(colour));
    return brush.get();
}

}  // namespace halvora::win32
