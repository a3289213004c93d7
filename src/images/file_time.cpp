#include "images/file_time.hpp"

namespace halvora {

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::uint64_t kMillisecondsPerDay = 86400000;
constexpr int kFormatBufferCharacters = 64;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::optional<SystemTime> fileTimeToSystemTime(std::uint64_t fileTime) {
    if (fileTime >= 0x8000000000000000ull) return std::nullopt;
    const std::uint64_t milliseconds = fileTime / kTicksPerMillisecond;
    std::uint64_t days = milliseconds / kMillisecondsPerDay;
    std::uint64_t inDay = milliseconds % kMillisecondsPerDay;

    SystemTime t;
    t.dayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);  // 1 January 1601 was a Monday
    int year = 1601;
    // Whole 400-year cycles first, so far dates do not loop year by year.
    constexpr std::uint64_t kDaysPer400Years = 146097;
    year += static_cast<int>(days / kDaysPer400Years) * 400;
    days %= kDaysPer400Years;
    while (days >= static_cast<std::uint64_t>(isLeapYear(year) ? 366 : 365)) {
        days -= isLeapYear(year) ? 366 : 365;
        ++year;
    }
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (true) {
        const int length = monthDays[month] + (month == 1 && isLeapYear(year) ? 1 : 0);
        if (days < static_cast<std::uint64_t>(length)) break;
        days -= static_cast<std::uint64_t>(length);
        ++month;
    }
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month + 1);
    t.day = static_cast<std::uint16_t>(days + 1);
    t.hour = static_cast<std::uint16_t>(inDay / 3600000);
    inDay %= 3600000;
    t.minute = static_cast<std::uint16_t>(inDay / 60000);
    inDay %= 60000;
    t.second = static_cast<std::uint16_t>(inDay / 1000);
    t.milliseconds = static_cast<std::uint16_t>(inDay % 1000);
    return t;
}

std::wstring formatFileTime(System& system, const SystemTime& time) {
    const auto date = system.formatDate(kLocaleUserDefault, 0, time, kFormatBufferCharacters);
    // Hours and minutes on the 24-hour clock, without a morning or afternoon marker.
    const auto clock = system.formatTime(kLocaleUserDefault, kTimeNoSeconds | kTimeNoTimeMarker | kTimeForce24Hour,
                                         time, kFormatBufferCharacters);
    if (date && clock) return *date + L" " + *clock;
    if (date) return *date;
    if (clock) return *clock;
    return L"";
}

std::wstring imageTimeText(System& system, std::uint64_t fileTime) {
    const auto time = fileTimeToSystemTime(fileTime);
    return time ? formatFileTime(system, *time) : std::wstring();
}

}  // namespace halvora
