// Controls made from layout records, and the state every kind of control shares.

#include "platform/win32/win32_toolkit.hpp"

#include <shlobj.h>

#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

// The drop-down part of a combo box is part of its window; the layout only gives the field.
constexpr int kComboListHeight = 200;

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

DWORD alignment(unsigned flags, DWORD left, DWORD centre, DWORD right) {
    if (flags & kAlignCentre) return centre;
    if (flags & kAlignRight) return right;
    return left;
}

WindowKind windowKindOf(const ControlSpec& layout) {
    const unsigned f = layout.flags;
    switch (layout.kind) {
        case ControlKind::Panel:
            return {kPanelClass, 0, WS_EX_CONTROLPARENT};
        case ControlKind::Label:
            return {WC_STATICW, SS_NOPREFIX | alignment(f, SS_LEFT, SS_CENTER, SS_RIGHT), 0};
        case ControlKind::ClickLabel:
            return {WC_STATICW, SS_NOPREFIX | SS_NOTIFY | alignment(f, SS_LEFT, SS_CENTER, SS_RIGHT), 0};
        case ControlKind::Button:
            return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::Check:
            return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ControlKind::Edit:
        case ControlKind::Spin:
            return {WC_EDITW,
                    ES_AUTOHSCROLL | WS_TABSTOP | ((f & kReadOnly) ? ES_READONLY : 0) |
                        ((f & kDigitsOnly) ? ES_NUMBER : 0) | alignment(f, ES_LEFT, ES_CENTER, ES_RIGHT),
                    WS_EX_CLIENTEDGE};
        case ControlKind::List:
            return {WC_LISTVIEWW,
                    static_cast<DWORD>(LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | WS_TABSTOP |
                                       ((f & kShowSelectionAlways) ? LVS_SHOWSELALWAYS : 0)),
                    WS_EX_CLIENTEDGE};
        case ControlKind::DriveRow:
            return {
                WC_LISTVIEWW,
                static_cast<DWORD>(LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_NOCOLUMNHEADER |
                                   LVS_NOSCROLL | WS_TABSTOP | ((f & kShowSelectionAlways) ? LVS_SHOWSELALWAYS : 0)),
                WS_EX_CLIENTEDGE};
        case ControlKind::Combo:
            return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::StatusBar:
            return {STATUSCLASSNAMEW, 0, 0};
        case ControlKind::Icon:
            return {WC_STATICW, SS_ICON | SS_CENTERIMAGE, 0};
    }
    return {WC_STATICW, 0, 0};
}

}  // namespace

void Win32Toolkit::createControl(const ControlSpec& layout) {
    runOnUiThread([&] { createControlOnUiThread(layout); });
}

void Win32Toolkit::createControlOnUiThread(const ControlSpec& layout) {
    HWND parent = containerOf(layout.parent);
    if (!parent || findControl(layout.name) || findWindow(layout.name)) return;
    const std::string window = topLevelOf(layout.parent);
    const WindowKind kind = windowKindOf(layout);
    const int id = nextControlId_++;
    const int extra = layout.kind == ControlKind::Combo ? scale(kComboListHeight) : 0;
    HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, layout.text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, scale(layout.rect.x),
                                scale(layout.rect.y), scale(layout.rect.w), scale(layout.rect.h) + extra, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                layout.kind == ControlKind::Panel ? this : nullptr);
    if (!hwnd) return;

    auto record = std::make_unique<ControlRecord>();
    record->name = layout.name;
    record->kind = layout.kind;
    record->window = window;
    record->hwnd = hwnd;
    record->extraHeight = extra;

    HFONT font = windowFont(window);
    if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    switch (layout.kind) {
        case ControlKind::List:
        case ControlKind::DriveRow: {
            DWORD extended = (layout.flags & kFullRowSelect) ? LVS_EX_FULLROWSELECT : 0;
            SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
            break;
        }
        case ControlKind::Spin: {
            HWND arrows = CreateWindowExW(
                0, UPDOWN_CLASSW, nullptr,
                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
                parent, nullptr, instance_, nullptr);
            if (arrows) {
                record->quiet++;
                SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd), 0);
                record->quiet--;
            }
            record->partner = arrows;
            break;
        }
        case ControlKind::StatusBar: {
            HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, nullptr,
                                       instance_, nullptr);
            if (bar) SendMessageW(bar, PBM_SETRANGE32, 0, 100);
            record->partner = bar;
            break;
        }
        default:
            break;
    }

    tagWithName(hwnd, layout.name);
    std::lock_guard lock(namesMutex_);
    controlsByHandle_[hwnd] = record.get();
    controls_[layout.name] = std::move(record);
}

bool Win32Toolkit::exists(const ControlName& control) { return handleOf(control) != nullptr; }

void Win32Toolkit::setText(const ControlName& control, const std::wstring& text) {
    if (ControlRecord* record = findControl(control)) {
        record->quiet++;
        SendMessageW(record->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        record->quiet--;
        return;
    }
    if (HWND hwnd = handleOf(control)) SetWindowTextW(hwnd, text.c_str());
}

std::wstring Win32Toolkit::text(const ControlName& control) { return windowText(handleOf(control)); }

void Win32Toolkit::setEnabled(const ControlName& control, bool enabled) {
    ControlRecord* record = findControl(control);
    HWND hwnd = record ? record->hwnd : handleOf(control);
    if (!hwnd) return;
    EnableWindow(hwnd, enabled);
    if (record && record->kind == ControlKind::Spin && record->partner) EnableWindow(record->partner, enabled);
}

bool Win32Toolkit::isEnabled(const ControlName& control) {
    HWND hwnd = handleOf(control);
    return hwnd && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED) == 0;
}

void Win32Toolkit::setVisible(const ControlName& control, bool visible) {
    ControlRecord* record = findControl(control);
    HWND hwnd = record ? record->hwnd : handleOf(control);
    if (!hwnd) return;
    ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
    if (record && record->kind == ControlKind::Spin && record->partner) {
        ShowWindow(record->partner, visible ? SW_SHOW : SW_HIDE);
    }
}

bool Win32Toolkit::isVisible(const ControlName& control) {
    HWND hwnd = handleOf(control);
    return hwnd && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Toolkit::setRect(const ControlName& control, Rect rect) {
    ControlRecord* record = findControl(control);
    if (!record) return;
    MoveWindow(record->hwnd, scale(rect.x), scale(rect.y), scale(rect.w), scale(rect.h) + record->extraHeight, TRUE);
    if (record->kind == ControlKind::Spin && record->partner) {
        // Setting the buddy again puts the arrows back inside the field's new right edge.
        record->quiet++;
        SendMessageW(record->partner, UDM_SETBUDDY, reinterpret_cast<WPARAM>(record->hwnd), 0);
        record->quiet--;
    }
}

Rect Win32Toolkit::rect(const ControlName& control) {
    ControlRecord* record = findControl(control);
    HWND hwnd = record ? record->hwnd : handleOf(control);
    if (!hwnd) return {};
    RECT area{};
    GetWindowRect(hwnd, &area);
    if (record && record->kind == ControlKind::Spin && record->partner) {
        RECT arrows{};
        GetWindowRect(record->partner, &arrows);
        UnionRect(&area, &area, &arrows);
    }
    if (record) MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&area), 2);
    return Rect{unscale(area.left), unscale(area.top), unscale(area.right - area.left),
                unscale(area.bottom - area.top)};
}

void Win32Toolkit::setChecked(const ControlName& control, bool checked) {
    if (HWND hwnd = handleOf(control)) SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Toolkit::isChecked(const ControlName& control) {
    HWND hwnd = handleOf(control);
    return hwnd && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::setFocus(const ControlName& control) {
    HWND hwnd = handleOf(control);
    if (!hwnd) return;
    runOnUiThread([&] {
        SetFocus(hwnd);
        // Windows hides focus rectangles until the keyboard is used; a box that puts the focus
        // on its default button shows it at once.
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_UPDATEUISTATE,
                     MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    });
}

ControlName Win32Toolkit::focused(const ControlName& window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(uiThread_, &info) || !info.hwndFocus) return {};
    // The focus may sit in a part of a control (a list's header, a combo's field).
    for (HWND at = info.hwndFocus; at; at = GetParent(at)) {
        if (ControlRecord* record = findControl(at))
            return record->window == window.str() ? ControlName(record->name) : ControlName();
        if (findWindow(at)) break;
    }
    return {};
}

void Win32Toolkit::setColours(const ControlName& control, std::int32_t text, std::int32_t background) {
    ControlRecord* record = findControl(control);
    if (!record) {
        // A window has no text of its own; its background is the client area's colour.
        if (WindowRecord* window = findWindow(control)) {
            window->backColour = background;
            InvalidateRect(window->hwnd, nullptr, TRUE);
        }
        return;
    }
    record->textColour = text;
    record->backColour = background;
    InvalidateRect(record->hwnd, nullptr, TRUE);
}

HICON Win32Toolkit::extractIcon(const std::wstring& file, int index, int size) {
    using ExtractFn = HRESULT(WINAPI*)(LPCWSTR, int, UINT, HICON*, HICON*, UINT);
    auto extract = procAddress<ExtractFn>(shell32_.get(), "SHDefExtractIconW");
    if (!extract) return nullptr;
    HICON large = nullptr;
    if (extract(file.c_str(), index, 0, &large, nullptr, static_cast<UINT>(size)) != S_OK) return nullptr;
    return large;
}

void Win32Toolkit::setIcon(const ControlName& control, const std::wstring& file, int index, int size) {
    ControlRecord* record = findControl(control);
    if (!record) return;
    UniqueIcon icon{extractIcon(file, index, scale(size))};
    SendMessageW(record->hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    std::lock_guard lock(namesMutex_);
    // The one shown before is no longer used; it is destroyed once the lock is released.
    std::swap(record->icon, icon);
}

}  // namespace halvora::win32
