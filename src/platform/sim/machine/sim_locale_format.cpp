#include "platform/sim/machine/sim_locale_format.hpp"

#include <vector>

#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kDateShortDate = 0x1;
constexpr std::uint32_t kTimeNoMinutesOrSeconds = 0x1;
constexpr std::uint32_t kTimeNoTimeMarker = 0x4;

struct LocaleFormats {
    const wchar_t* name;
    std::uint32_t lcid;
    const wchar_t* shortDate;
    const wchar_t* time;
    const wchar_t* am;
    const wchar_t* pm;
};

constexpr LocaleFormats kLocales[] = {
    {L"en-US", 0x409, L"M/d/yyyy", L"h:mm:ss tt", L"AM", L"PM"},
    {L"ko-KR", 0x412, L"yyyy-MM-dd", L"tt h:mm:ss", L"\uC624\uC804", L"\uC624\uD6C4"},
    {L"en-GB", 0x809, L"dd/MM/yyyy", L"HH:mm:ss", L"AM", L"PM"},
    {L"de-DE", 0x407, L"dd.MM.yyyy", L"HH:mm:ss", L"", L""},
    {L"ja-JP", 0x411, L"yyyy/MM/dd", L"H:mm:ss", L"\u5348\u524D", L"\u5348\u5F8C"},
};

const LocaleFormats& formatsOf(const std::wstring& name) {
    for (const auto& locale : kLocales) {
        if (equalsNoCase(name, locale.name)) return locale;
    }
    return kLocales[0];
}

enum class Part { Literal, Year, Month, Day, Hour12, Hour24, Minute, Second, Marker };

struct Token {
    Part part;
    int width;          // run length of the pattern letter
    std::wstring text;  // literal text
};

Part partOf(wchar_t letter) {
    switch (letter) {
        case L'y':
            return Part::Year;
        case L'M':
            return Part::Month;
        case L'd':
            return Part::Day;
        case L'h':
            return Part::Hour12;
        case L'H':
            return Part::Hour24;
        case L'm':
            return Part::Minute;
        case L's':
            return Part::Second;
        case L't':
            return Part::Marker;
        default:
            return Part::Literal;
    }
}

std::vector<Token> tokenize(const std::wstring& pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        const Part part = partOf(pattern[i]);
        std::size_t end = i + 1;
        if (part == Part::Literal) {
            while (end < pattern.size() && partOf(pattern[end]) == Part::Literal) ++end;
            tokens.push_back({part, 0, pattern.substr(i, end - i)});
        } else {
            while (end < pattern.size() && pattern[end] == pattern[i]) ++end;
            tokens.push_back({part, static_cast<int>(end - i), {}});
        }
        i = end;
    }
    return tokens;
}

// Removes the tokens of `part`, with the separator that joins each to the rest: the literal
// before it, or the literal after it when it comes first.
void dropPart(std::vector<Token>& tokens, Part part) {
    for (std::size_t i = 0; i < tokens.size();) {
        if (tokens[i].part != part) {
            ++i;
            continue;
        }
        if (i > 0 && tokens[i - 1].part == Part::Literal) {
            tokens.erase(tokens.begin() + static_cast<long>(i) - 1, tokens.begin() + static_cast<long>(i) + 1);
            --i;
        } else if (i + 1 < tokens.size() && tokens[i + 1].part == Part::Literal) {
            tokens.erase(tokens.begin() + static_cast<long>(i), tokens.begin() + static_cast<long>(i) + 2);
        } else {
            tokens.erase(tokens.begin() + static_cast<long>(i));
        }
    }
}

std::wstring digits(int value, int width) {
    std::wstring text = std::to_wstring(value);
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), L'0');
    return text;
}

std::wstring render(const std::vector<Token>& tokens, const SystemTime& time, const LocaleFormats& locale) {
    std::wstring out;
    for (const auto& token : tokens) {
        const int two = token.width >= 2 ? 2 : 1;
        switch (token.part) {
            case Part::Literal:
                out += token.text;
                break;
            case Part::Year:
                out += token.width <= 2 ? digits(time.year % 100, token.width) : digits(time.year, 4);
                break;
            case Part::Month:
                out += digits(time.month, two);
                break;
            case Part::Day:
                out += digits(time.day, two);
                break;
            case Part::Hour12: {
                const int hour = time.hour % 12;
                out += digits(hour == 0 ? 12 : hour, two);
                break;
            }
            case Part::Hour24:
                out += digits(time.hour, two);
                break;
            case Part::Minute:
                out += digits(time.minute, two);
                break;
            case Part::Second:
                out += digits(time.second, two);
                break;
            case Part::Marker: {
                std::wstring marker = time.hour < 12 ? locale.am : locale.pm;
                if (token.width == 1) marker = marker.substr(0, 1);
                out += marker;
                break;
            }
        }
    }
    return out;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool validDate(const SystemTime& time) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (time.year < 1601 || time.year > 30827 || time.month < 1 || time.month > 12) return false;
    const int days = kDays[time.month - 1] + (time.month == 2 && isLeapYear(time.year) ? 1 : 0);
    return time.day >= 1 && time.day <= days;
}

bool validTime(const SystemTime& time) {
    return time.hour < 24 && time.minute < 60 && time.second < 60 && time.milliseconds < 1000;
}

std::optional<std::wstring> fitting(std::wstring text, int capacity) {
    // The sizing call (capacity 0) is not part of this interface.
    if (capacity <= 0 || text.size() + 1 > static_cast<std::size_t>(capacity)) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::wstring> localeNameOf(std::uint32_t lcid, const std::wstring& machineLocale) {
    if (lcid == kLocaleUserDefault || lcid == 0x800) return machineLocale;
    for (const auto& locale : kLocales) {
        if (locale.lcid == lcid) return std::wstring(locale.name);
    }
    return std::nullopt;
}

std::optional<std::wstring> formatShortDate(const std::wstring& locale, std::uint32_t flags, const SystemTime& time,
                                            int capacity) {
    if ((flags & ~kDateShortDate) != 0 || !validDate(time)) return std::nullopt;
    const LocaleFormats& formats = formatsOf(locale);
    return fitting(render(tokenize(formats.shortDate), time, formats), capacity);
}

std::optional<std::wstring> formatTimeOfDay(const std::wstring& locale, std::uint32_t flags, const SystemTime& time,
                                            int capacity) {
    constexpr std::uint32_t kKnown = kTimeNoMinutesOrSeconds | kTimeNoSeconds | kTimeNoTimeMarker | kTimeForce24Hour;
    if ((flags & ~kKnown) != 0 || !validTime(time)) return std::nullopt;
    const LocaleFormats& formats = formatsOf(locale);
    auto tokens = tokenize(formats.time);
    if (flags & kTimeNoMinutesOrSeconds) {
        dropPart(tokens, Part::Second);
        dropPart(tokens, Part::Minute);
    } else if (flags & kTimeNoSeconds) {
        dropPart(tokens, Part::Second);
    }
    if (flags & (kTimeNoTimeMarker | kTimeForce24Hour)) dropPart(tokens, Part::Marker);
    if (flags & kTimeForce24Hour) {
        // The hour keeps the pattern's leading-zero rule: "h" stays one digit where it can.
        for (auto& token : tokens) {
            if (token.part == Part::Hour12) token.part = Part::Hour24;
        }
    }
    return fitting(render(tokens, time, formats), capacity);
}

}  // namespace halvora::sim
