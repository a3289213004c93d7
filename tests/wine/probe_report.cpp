// Reporting and reading windows, shared by the probe's commands.

#include "probe_report.hpp"

#include <algorithm>
#include <cstdio>

namespace probe {

int failures = 0;

namespace {
constexpr wchar_t kNameProperty[] = L"HalvoraName";
constexpr UINT kSendTimeoutMs = 5000;
}  // namespace

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Control characters shown as escapes, so that one check stays on one line.
std::string shown(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r')
            out += L"\\r";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\t')
            out += L"\\t";
        else
            out += c;
    }
    return utf8(out);
}

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void check(bool ok, const std::string& what, const std::string& why) {
    if (ok) {
        say("PASS " + what);
    } else {
        say("FAIL " + what + (why.empty() ? "" : ": " + why));
        ++failures;
    }
}

std::string nameOf(HWND hwnd) {
    HANDLE value = GetPropW(hwnd, kNameProperty);
    if (!value) return {};
    wchar_t name[256] = {};
    UINT n = GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(value)), name, 256);
    return utf8(std::wstring(name, n));
}

// WM_GETTEXT is marshalled between processes, so it also reaches an edit field's own text.
std::wstring textOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got)) {
        return {};
    }
    text.resize(std::min<std::size_t>(got, length));
    return text;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[256] = {};
    int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

HWND findNamed(HWND parent, const std::string& name) {
    struct Search {
        std::string name;
        HWND found;
    } search{name, nullptr};
    const WNDENUMPROC visit = [](HWND hwnd, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (nameOf(hwnd) != s->name) return TRUE;
        s->found = hwnd;
        return FALSE;
    };
    if (parent) {
        EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
    } else {
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

}  // namespace probe
