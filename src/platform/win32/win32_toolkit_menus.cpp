// Pop-up menus and tooltips.

#include "platform/win32/win32_toolkit.hpp"

namespace halvora::win32 {

void Win32Toolkit::createPopupMenu(const ControlName& menu, const std::vector<MenuItemSpec>& items) {
    UniqueMenu created{CreatePopupMenu()};
    if (!created) return;
    for (const auto& item : items) {
        if (item.id == 0)
            AppendMenuW(created.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(created.get(), MF_STRING | MF_UNCHECKED, static_cast<UINT_PTR>(item.id), item.text.c_str());
    }
    std::lock_guard lock(namesMutex_);
    // A menu of the same name made before is destroyed once the lock is released.
    std::swap(menus_[menu], created);
}

namespace {

HMENU menuHandle(std::mutex& mutex, std::map<std::string, UniqueMenu>& menus, const std::string& name) {
    std::lock_guard lock(mutex);
    auto it = menus.find(name);
    return it == menus.end() ? nullptr : it->second.get();
}

}  // namespace

void Win32Toolkit::setMenuItemChecked(const ControlName& menu, int id, bool checked) {
    if (HMENU m = menuHandle(namesMutex_, menus_, menu)) {
        CheckMenuItem(m, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool Win32Toolkit::isMenuItemChecked(const ControlName& menu, int id) {
    HMENU m = menuHandle(namesMutex_, menus_, menu);
    if (!m) return false;
    UINT state = GetMenuState(m, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

void Win32Toolkit::setMenuItemEnabled(const ControlName& menu, int id, bool enabled) {
    if (HMENU m = menuHandle(namesMutex_, menus_, menu)) {
        EnableMenuItem(m, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

bool Win32Toolkit::isMenuItemEnabled(const ControlName& menu, int id) {
    HMENU m = menuHandle(namesMutex_, menus_, menu);
    if (!m) return false;
    UINT state = GetMenuState(m, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void Win32Toolkit::showPopupMenu(const ControlName& menu, const ControlName& window) {
    HMENU m = menuHandle(namesMutex_, menus_, menu);
    HWND hwnd = handleOf(window);
    if (!m || !hwnd) return;
    runOnUiThread([&] {
        POINT at{};
        GetCursorPos(&at);
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(hwnd);
        // The choice comes back as the return value rather than as WM_COMMAND, where menu item
        // numbers would be mistaken for the IDOK / IDCANCEL that Enter and Esc produce.
        const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y,
                           0, hwnd, nullptr));
        PostMessageW(hwnd, WM_NULL, 0, 0);
        if (chosen != 0) {
            Event event;
            event.kind = EventKind::Menu;
            event.window = window;
            event.code = static_cast<int>(chosen);
            queueEvent(std::move(event));
        }
    });
}

void Win32Toolkit::addTooltip(const ControlName& control, const std::wstring& title, const std::wstring& text, int icon,
                              bool programFont) {
    ControlRecord* record = findControl(control);
    if (!record) return;
    WindowRecord* window = findWindow(record->window);
    if (!window) return;
    runOnUiThread([&] {
        // Owned by the control's top-level window: it stays above that window, goes with it
        // when the window is minimised, and is never a stray top-level window of its own.
        UniqueWindow tip{CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window->hwnd,
                                         nullptr, instance_, nullptr)};
        if (!tip) return;
        SendMessageW(tip.get(), TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
        SendMessageW(tip.get(), TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
        if (programFont) {
            if (HFONT font = windowFont(record->window)) {
                SendMessageW(tip.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            }
        }
        // A maximum width turns on line breaks ("\r" in the texts). The width is the screen's,
        // so that lines break only there: with a width of 0 the tooltip wraps after every word,
        // and Hangul text, which wraps between any two syllables, one syllable per line.
        SendMessageW(tip.get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetParent(record->hwnd);
        tool.uId = reinterpret_cast<UINT_PTR>(record->hwnd);
        tool.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(tip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tip.get(), TTM_SETTITLEW, static_cast<WPARAM>(icon), reinterpret_cast<LPARAM>(title.c_str()));
        // The owner's destruction would take the tooltip with it; destroyWindowOnUiThread
        // destroys the window's tooltips first, so each is destroyed once.
        std::lock_guard lock(namesMutex_);
        if (auto it = windows_.find(record->window); it != windows_.end())
            it->second->tooltips.push_back(std::move(tip));
    });
}

}  // namespace halvora::win32
