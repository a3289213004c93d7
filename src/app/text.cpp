#include "app/text.hpp"

#include <cwctype>

namespace halvora {

namespace {

bool isBlankOrTab(wchar_t c) { return c == L' ' || c == L'\t'; }

template <typename Pred>
std::wstring trimWith(const std::wstring& s, Pred pred) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && pred(s[begin])) ++begin;
    while (end > begin && pred(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Appends one code point to a wide string: a surrogate pair where wchar_t is 16 bits wide.
void appendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

// Reads the code point at `i` of a wide string and advances `i`.
char32_t nextCodePoint(const std::wstring& s, std::size_t& i) {
    char32_t c = static_cast<char32_t>(s[i++]);
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0xD800 && c < 0xDC00 && i < s.size()) {
            char32_t low = static_cast<char32_t>(s[i]);
            if (low >= 0xDC00 && low < 0xE000) {
                ++i;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    }
    return c;
}

}  // namespace

std::wstring trimBlanksAndTabs(const std::wstring& s) { return trimWith(s, isBlankOrTab); }

std::wstring trimSpaces(const std::wstring& s) {
    return trimWith(s, [](wchar_t c) { return c == L' '; });
}

wchar_t toUpperChar(wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }
wchar_t toLowerChar(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }

std::wstring toUpper(const std::wstring& s) {
    std::wstring out = s;
    for (auto& c : out) c = toUpperChar(c);
    return out;
}

std::wstring toLower(const std::wstring& s) {
    std::wstring out = s;
    for (auto& c : out) c = toLowerChar(c);
    return out;
}

bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerChar(a[i]) != toLowerChar(b[i])) return false;
    }
    return true;
}

std::size_t findIgnoreCase(const std::wstring& haystack, const std::wstring& needle, std::size_t from) {
    if (needle.empty()) return from <= haystack.size() ? from : std::wstring::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        bool match = true;
        for (std::size_t j = 0; j < needle.size(); ++j) {
            if (toLowerChar(haystack[i + j]) != toLowerChar(needle[j])) {
                match = false;
                break;
            }
        }
        if (match) return i;
    }
    return std::wstring::npos;
}

std::wstring removeAllIgnoreCase(const std::wstring& haystack, const std::wstring& needle) {
    if (needle.empty()) return haystack;
    std::wstring out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = findIgnoreCase(haystack, needle, pos);
        if (hit == std::wstring::npos) break;
        out += haystack.substr(pos, hit - pos);
        pos = hit + needle.size();
    }
    out += haystack.substr(pos);
    return out;
}

long long parseLeadingInteger(const std::wstring& s) {
    std::size_t i = 0;
    while (i < s.size() && isBlankOrTab(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) {
        negative = s[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        if (value < 100000000000000000LL) value = value * 10 + (s[i] - L'0');
    }
    return negative ? -value : value;
}

std::wstring replaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<std::wstring> split(const std::wstring& s, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t hit = s.find(separator, start);
        if (hit == std::wstring::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, hit - start));
        start = hit + 1;
    }
}

std::string toUtf8(const std::wstring& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) appendUtf8(out, nextCodePoint(s, i));
    return out;
}

std::wstring fromUtf8(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        // Overlong forms (an encoded NUL in two bytes, say) are refused as the platform does.
        if (!ok || c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        appendWide(out, c);
        i += 1 + extra;
    }
    return out;
}

std::u16string toUtf16(const std::wstring& s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = nextCodePoint(s, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::wstring fromUtf16(const std::u16string& s) {
    std::wstring out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendWide(out, c);
    }
    return out;
}

}  // namespace halvora
