#pragma once
// Text conversions at the edge of the simulated machine: the program speaks UTF-16 Windows
// text, the host's files and the machine description speak UTF-8.

#include <cstdint>
#include <string>

namespace halvora::sim {

// Invalid UTF-8 becomes U+FFFD, as MultiByteToWideChar does without MB_ERR_INVALID_CHARS.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& text);

// Upper-casing as NTFS and the environment block compare names: ASCII and Latin-1 letters.
wchar_t foldCase(wchar_t c);
std::wstring foldCase(const std::wstring& text);
bool equalsNoCase(const std::wstring& a, const std::wstring& b);

// "0x1F": a number as the call log writes flags and codes.
std::wstring hexText(std::uint32_t value);

}  // namespace halvora::sim
