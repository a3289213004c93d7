#pragma once
// GetDateFormatW and GetTimeFormatW without a format picture, as Windows formats the short
// date and the time for a locale. The locales the machine descriptions use have their own
// patterns; any other locale formats as en-US does.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.hpp"

namespace halvora::sim {

// The locale name of an LCID argument: 0x400 and 0x800 (user and system default) name the
// machine's own locale; nullopt for an LCID that is not known.
std::optional<std::wstring> localeNameOf(std::uint32_t lcid, const std::wstring& machineLocale);

// Nullopt as the platform fails: an invalid date or time, flags the call does not take, or a
// text that with its NUL does not fit in `capacity` characters.
std::optional<std::wstring> formatShortDate(const std::wstring& locale, std::uint32_t flags, const SystemTime& time,
                                            int capacity);
std::optional<std::wstring> formatTimeOfDay(const std::wstring& locale, std::uint32_t flags, const SystemTime& time,
                                            int capacity);

}  // namespace halvora::sim
