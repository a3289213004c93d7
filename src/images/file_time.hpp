#pragma once
// Times of the image list: FILETIME values (UTC, 100 ns since 1601) shown as the user's locale
// writes a date and a time.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.hpp"

namespace halvora {

// FileTimeToSystemTime: nullopt for values the platform refuses (the top bit set).
std::optional<SystemTime> fileTimeToSystemTime(std::uint64_t fileTime);

// Date and time (24-hour, no seconds) in the user's default locale, joined by a space; only the
// one that could be formatted, or empty when neither could.
std::wstring formatFileTime(System& system, const SystemTime& time);

// The image list's time columns: the UTC time of the FILETIME, formatted; empty when it cannot
// be converted.
std::wstring imageTimeText(System& system, std::uint64_t fileTime);

}  // namespace halvora
