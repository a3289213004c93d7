// Drop-down lists and spin fields.

#include "platform/win32/win32_toolkit.hpp"

#include <algorithm>

namespace halvora::win32 {

void Win32Toolkit::addComboItem(const ControlName& combo, const std::wstring& text) {
    if (HWND hwnd = handleOf(combo)) SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Win32Toolkit::comboCount(const ControlName& combo) {
    HWND hwnd = handleOf(combo);
    return hwnd ? std::max(0, static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0))) : 0;
}

std::wstring Win32Toolkit::comboItem(const ControlName& combo, int index) {
    HWND hwnd = handleOf(combo);
    if (!hwnd) return {};
    LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

void Win32Toolkit::setComboSelection(const ControlName& combo, int index) {
    if (HWND hwnd = handleOf(combo)) SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Toolkit::comboSelection(const ControlName& combo) {
    HWND hwnd = handleOf(combo);
    if (!hwnd) return -1;
    LRESULT selection = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

void Win32Toolkit::setSpinRange(const ControlName& spin, int low, int high) {
    ControlRecord* record = findControl(spin);
    if (record && record->partner) SendMessageW(record->partner, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32Toolkit::setSpinValue(const ControlName& spin, int value) {
    ControlRecord* record = findControl(spin);
    if (!record || !record->partner) return;
    // Only the user's changes are events; the arrows write the new value into the field.
    record->quiet++;
    SendMessageW(record->partner, UDM_SETPOS32, 0, value);
    record->quiet--;
}

int Win32Toolkit::spinValue(const ControlName& spin) {
    ControlRecord* record = findControl(spin);
    if (!record || !record->partner) return 0;
    BOOL failed = FALSE;
    // With UDS_SETBUDDYINT the arrows read their position back from the field's text.
    return static_cast<int>(SendMessageW(record->partner, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
}

}  // namespace halvora::win32
