// The status bar and the progress bar that sits in its field 1.

#include "platform/win32/win32_toolkit.hpp"

#include <algorithm>

namespace halvora::win32 {

namespace {
constexpr int kProgressField = 1;
}

void Win32Toolkit::setStatusFields(const ControlName& bar, const std::vector<int>& widths) {
    ControlRecord* record = findControl(bar);
    if (!record || widths.empty()) return;
    {
        std::lock_guard lock(namesMutex_);
        record->statusWidths = widths;
    }
    // The bar takes right edges; -1 runs the field to the end of the bar.
    std::vector<int> edges;
    int edge = 0;
    for (int width : widths) {
        if (width < 0) {
            edges.push_back(-1);
            break;
        }
        edge += scale(width);
        edges.push_back(edge);
    }
    SendMessageW(record->hwnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    placeProgressBar(*record);
}

void Win32Toolkit::placeProgressBar(ControlRecord& bar) {
    if (!bar.partner) return;
    RECT field{};
    if (!SendMessageW(bar.hwnd, SB_GETRECT, kProgressField, reinterpret_cast<LPARAM>(&field))) return;
    InflateRect(&field, -1, -1);
    MoveWindow(bar.partner, field.left, field.top, field.right - field.left, field.bottom - field.top, TRUE);
}

void Win32Toolkit::layoutStatusBars(const std::string& window) {
    std::vector<ControlRecord*> bars;
    {
        std::lock_guard lock(namesMutex_);
        for (auto& [name, control] : controls_) {
            if (control->kind == ControlKind::StatusBar && control->window == window) bars.push_back(control.get());
        }
    }
    for (ControlRecord* bar : bars) {
        SendMessageW(bar->hwnd, WM_SIZE, 0, 0);  // the bar fits itself to its parent's bottom
        placeProgressBar(*bar);
    }
}

void Win32Toolkit::setStatusText(const ControlName& bar, int field, const std::wstring& text) {
    if (HWND hwnd = handleOf(bar))
        SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring Win32Toolkit::statusText(const ControlName& bar, int field) {
    HWND hwnd = handleOf(bar);
    if (!hwnd) return {};
    const int length = LOWORD(SendMessageW(hwnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got =
        LOWORD(SendMessageW(hwnd, SB_GETTEXTW, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(std::min(got, length)));
    return text;
}

void Win32Toolkit::setProgress(const ControlName& bar, int percent) {
    ControlRecord* record = findControl(bar);
    if (record && record->partner) SendMessageW(record->partner, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

int Win32Toolkit::progress(const ControlName& bar) {
    ControlRecord* record = findControl(bar);
    return record && record->partner ? static_cast<int>(SendMessageW(record->partner, PBM_GETPOS, 0, 0)) : 0;
}

}  // namespace halvora::win32
