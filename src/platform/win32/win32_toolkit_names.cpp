// The toolkit's name tables: names to window handles and back, and the name property that other
// processes can read.

#include "platform/win32/win32_toolkit.hpp"

#include "base/utf.hpp"

#include <algorithm>

namespace halvora::win32 {

std::wstring windowText(HWND hwnd) {
    if (!hwnd) return {};
    LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, length))));
    return text;
}

ControlRecord* Win32Toolkit::findControl(const std::string& name) {
    std::lock_guard lock(namesMutex_);
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

ControlRecord* Win32Toolkit::findControl(HWND hwnd) {
    std::lock_guard lock(namesMutex_);
    auto it = controlsByHandle_.find(hwnd);
    return it == controlsByHandle_.end() ? nullptr : it->second;
}

WindowRecord* Win32Toolkit::findWindow(const std::string& name) {
    std::lock_guard lock(namesMutex_);
    auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowRecord* Win32Toolkit::findWindow(HWND hwnd) {
    std::lock_guard lock(namesMutex_);
    auto it = windowsByHandle_.find(hwnd);
    return it == windowsByHandle_.end() ? nullptr : it->second;
}

HWND Win32Toolkit::handleOf(const std::string& name) {
    std::lock_guard lock(namesMutex_);
    if (auto it = controls_.find(name); it != controls_.end()) return it->second->hwnd;
    if (auto it = windows_.find(name); it != windows_.end()) return it->second->hwnd;
    return nullptr;
}

HWND Win32Toolkit::containerOf(const std::string& name) {
    std::lock_guard lock(namesMutex_);
    if (auto it = windows_.find(name); it != windows_.end()) return it->second->hwnd;
    if (auto it = controls_.find(name); it != controls_.end() && it->second->kind == ControlKind::Panel) {
        return it->second->hwnd;
    }
    return nullptr;
}

std::string Win32Toolkit::topLevelOf(const std::string& container) {
    std::lock_guard lock(namesMutex_);
    if (windows_.count(container)) return container;
    if (auto it = controls_.find(container); it != controls_.end()) return it->second->window;
    return {};
}

void Win32Toolkit::tagWithName(HWND hwnd, const std::string& name) {
    ATOM atom = GlobalAddAtomW(fromUtf8(name).c_str());
    if (atom) SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void Win32Toolkit::removeNameTag(HWND hwnd) {
    HANDLE value = RemovePropW(hwnd, kNameProperty);
    if (value) GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(value)));
}

}  // namespace halvora::win32
