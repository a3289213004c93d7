#include "platform/sim/machine/sim_text.hpp"

#include <cstdint>

namespace halvora::sim {

wchar_t foldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
    // Latin-1 lower-case letters, except the division sign and ÿ (whose capital is elsewhere).
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 32);
    return c;
}

std::wstring foldCase(const std::wstring& text) {
    std::wstring out = text;
    for (auto& c : out) c = foldCase(c);
    return out;
}

bool equalsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

std::wstring hexText(std::uint32_t value) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return L"0x" + text;
}

}  // namespace halvora::sim
