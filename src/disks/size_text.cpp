#include "disks/size_text.hpp"

#include <cstdio>

namespace halvora {

std::wstring sizeText(std::int64_t bytes) {
    static const wchar_t* const kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB", L"PB"};
    int power = 0;
    for (std::int64_t n = bytes; n >= 1024 && power < 5; n /= 1024) ++power;
    if (power == 0) return std::to_wstring(bytes) + L" " + kUnits[0];

    double value = static_cast<double>(bytes);
    for (int i = 0; i < power; ++i) value /= 1024.0;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15f", value);
    std::string text = digits;
    const std::size_t point = text.find('.');
    // Three or more integer digits: the whole number alone; otherwise two decimals, cut.
    text = point >= 3 ? text.substr(0, point) : text.substr(0, point + 3);
    return std::wstring(text.begin(), text.end()) + L" " + kUnits[power];
}

}  // namespace halvora
