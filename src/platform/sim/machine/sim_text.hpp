#pragma once
// Text rules of the simulated machine: names compared as NTFS compares them, numbers as the call
// log writes them. (The UTF-8 of the host's files and the machine description is converted with
// base/utf.hpp.)

#include <cstdint>
#include <string>

namespace halvora::sim {

// Upper-casing as NTFS and the environment block compare names: ASCII and Latin-1 letters.
wchar_t foldCase(wchar_t c);
std::wstring foldCase(const std::wstring& text);
bool equalsNoCase(const std::wstring& a, const std::wstring& b);

// "0x1F": a number as the call log writes flags and codes.
std::wstring hexText(std::uint32_t value);

}  // namespace halvora::sim
