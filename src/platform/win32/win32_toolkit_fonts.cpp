// Screen scale and fonts: the layout is in logical pixels (96 per inch) and font sizes are the
// stored point-like sizes; both become device pixels here.

#include "platform/win32/win32_toolkit.hpp"

#include <cwchar>

#include "platform/font_height.hpp"

namespace halvora::win32 {

namespace {

struct FontSearch {
    const std::wstring* face;
    bool found;
};

int CALLBACK matchFullName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
    auto* search = reinterpret_cast<FontSearch*>(context);
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    if (*search->face == full->elfFullName) {
        search->found = true;
        return 0;  // the first match is enough
    }
    return 1;
}

std::wstring cutTrailingBlanks(std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

}  // namespace

int Win32Toolkit::screenDpi() {
    if (int cached = dpi_.load(); cached > 0) return cached;
    WindowDc screen(nullptr);
    int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

int Win32Toolkit::scale(int logical) { return MulDiv(logical, screenDpi(), 96); }

int Win32Toolkit::unscale(int physical) { return MulDiv(physical, 96, screenDpi()); }

UniqueFont Win32Toolkit::makeFont(const std::wstring& face, int size) {
    LOGFONTW font{};
    font.lfHeight = fontCellHeight(size, screenDpi());
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return UniqueFont{CreateFontIndirectW(&font)};
}

HFONT Win32Toolkit::windowFont(const std::string& window) {
    std::lock_guard lock(namesMutex_);
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second->font.get();
}

bool Win32Toolkit::fontInstalled(const std::wstring& face) {
    HWND main = nullptr;
    {
        std::lock_guard lock(namesMutex_);
        for (auto& [name, window] : windows_) {
            if (window->owner.empty()) {
                main = window->hwnd;
                break;
            }
        }
    }
    WindowDc dc(main);
    if (!dc.get()) return false;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    FontSearch search{&face, false};
    EnumFontFamiliesExW(dc.get(), &wanted, matchFullName, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

std::optional<FontSpec> Win32Toolkit::smallCaptionFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = 500;  // the size without iPaddedBorderWidth, accepted by every version
    static_assert(sizeof(metrics) >= 500);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return std::nullopt;
    }
    return FontSpec{cutTrailingBlanks(metrics.lfSmCaptionFont.lfFaceName),
                    static_cast<int>(metrics.lfSmCaptionFont.lfHeight)};
}

FontSpec Win32Toolkit::stockGuiFont() {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return FontSpec{font.lfFaceName, static_cast<int>(font.lfHeight)};
}

void Win32Toolkit::setWindowFont(const ControlName& window, const std::wstring& face, int size) {
    UniqueFont font = makeFont(face, size);
    std::lock_guard lock(namesMutex_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    // Controls made earlier keep the font they were given, so the old one lives on.
    if (it->second->font) it->second->oldFonts.push_back(std::move(it->second->font));
    it->second->font = std::move(font);
}

void Win32Toolkit::setControlFont(const ControlName& control, const std::wstring& face, int size) {
    ControlRecord* record = findControl(control);
    if (!record) return;
    UniqueFont font = makeFont(face, size);
    SendMessageW(record->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    std::lock_guard lock(namesMutex_);
    if (record->font) record->oldFonts.push_back(std::move(record->font));
    record->font = std::move(font);
}

Size Win32Toolkit::measureText(const ControlName& control, const std::wstring& text) {
    HWND hwnd = handleOf(control);
    if (!hwnd) return {};
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    WindowDc dc(hwnd);
    if (!dc.get()) return {};
    SelectedObject selected(dc.get(), font);
    RECT area{0, 0, 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT | DT_TOP);
    const int dpi = screenDpi();
    // Round up, so that a control made this big in logical pixels still holds the text.
    return Size{(area.right - area.left) * 96 / dpi + ((area.right - area.left) * 96 % dpi ? 1 : 0),
                (area.bottom - area.top) * 96 / dpi + ((area.bottom - area.top) * 96 % dpi ? 1 : 0)};
}

}  // namespace halvora::win32
