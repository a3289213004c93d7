#pragma once
// Turning a fuzzer's bytes into the inputs of the program's readers: texts as the platform hands
// them over (UTF-16 from Windows, UTF-8 from files) and fixed-size records.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/utf.hpp"

namespace halvora::fuzzing {

// The first byte chooses how the rest is read: as UTF-16 little-endian units when it is odd,
// as UTF-8 otherwise. Both reach the readers as wide text.
inline std::wstring wideText(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    const bool utf16 = (data[0] & 1) != 0;
    ++data;
    --size;
    if (!utf16) return fromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return fromUtf16(units);
}

// A record of N bytes: the input, cut or padded with zeros.
template <std::size_t N>
std::array<std::uint8_t, N> record(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, N> bytes{};
    std::copy_n(data, std::min(size, N), bytes.begin());
    return bytes;
}

}  // namespace halvora::fuzzing
