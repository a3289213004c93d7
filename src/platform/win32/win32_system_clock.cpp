// The wall clock and sleeping.

#include "platform/win32/win32_system.hpp"

#include <windows.h>

namespace halvora::win32 {

std::int64_t Win32System::secondsNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{};  // 100-nanosecond intervals since 1601
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10000000ull);
}

void Win32System::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace halvora::win32
