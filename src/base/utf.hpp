#pragma once
// Conversions between the wide text used everywhere inside and the UTF-8 and UTF-16 bytes that
// files, the command line of the host and the platform's records carry. wchar_t is 16 bits on
// Windows and 32 bits on Linux; both give the same results.

#include <string>

namespace halvora {

std::string toUtf8(const std::wstring& s);
// Invalid sequences become U+FFFD, as MultiByteToWideChar makes them without
// MB_ERR_INVALID_CHARS, so a damaged file never stops the program.
std::wstring fromUtf8(const std::string& bytes);
// Whether the bytes are UTF-8 that fromUtf8 reads without replacing anything.
bool isValidUtf8(const std::string& bytes);
std::u16string toUtf16(const std::wstring& s);
// A lone surrogate becomes U+FFFD.
std::wstring fromUtf16(const std::u16string& s);

// Appends one code point: a surrogate pair where wchar_t is 16 bits wide and the code point
// lies above U+FFFF.
void appendCodePoint(std::wstring& out, char32_t c);

}  // namespace halvora
