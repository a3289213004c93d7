#pragma once
// Text helpers for every layer. Text is wide throughout; conversion to UTF-8 and UTF-16
// (base/utf.hpp) happens only where bytes leave or enter (files, the hand-over message, the
// host's own text).

#include <cstdint>
#include <string>
#include <vector>

namespace halvora {

std::wstring trimBlanksAndTabs(const std::wstring& s);
std::wstring trimSpaces(const std::wstring& s);

// Letter case is ignored for option names, keywords, markers and drive names.
wchar_t toUpperChar(wchar_t c);
wchar_t toLowerChar(wchar_t c);
std::wstring toUpper(const std::wstring& s);
std::wstring toLower(const std::wstring& s);
bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b);
// Position of `needle` in `haystack` ignoring case, or npos.
std::size_t findIgnoreCase(const std::wstring& haystack, const std::wstring& needle, std::size_t from = 0);
// Removes every occurrence of `needle`, ignoring case.
std::wstring removeAllIgnoreCase(const std::wstring& haystack, const std::wstring& needle);

// Reads a decimal number the lenient way the platform's own readers do: leading blanks, an
// optional sign, then digits; anything else ends the number, and no digits at all read as 0.
long long parseLeadingInteger(const std::wstring& s);

std::vector<std::wstring> split(const std::wstring& s, wchar_t separator);

// Every occurrence of `from` replaced by `to`, left to right, exactly as written.
std::wstring replaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

}  // namespace halvora
