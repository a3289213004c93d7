#include "base/text.hpp"

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

}  // namespace halvora
