#pragma once
// One copy of the program at a time. A second copy hands its arguments to the first through
// WM_COPYDATA and ends; the first reads them with the same care it gives any foreign input.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.hpp"
#include "platform/toolkit.hpp"

namespace halvora {

// Every argument followed by "|", as the first instance's parser expects.
std::wstring handOverText(const std::vector<std::wstring>& arguments);

// The hand-over text as UTF-16 bytes with the terminating NUL, ready for COPYDATASTRUCT.
std::string handOverPayload(const std::wstring& text);

// Reads a hand-over from another process. `size` is what the sender claims in bytes: at most
// size / 2 UTF-16 units are read, up to the first NUL, and a missing terminator is accepted.
// Null data, an odd size or a size larger than any command line can be are refused.
std::optional<std::wstring> readHandOver(const void* data, std::uint32_t size);

// The largest hand-over accepted, in bytes: a Windows command line holds at most 32767
// characters, and every argument gains one separator.
inline constexpr std::uint32_t kMaxHandOverBytes = 2u * 65536u;
static_assert(kMaxHandOverBytes <= kCopyDataLimit, "the window must take every hand-over it may accept");

enum class InstanceRole { First, HandedOver };

// Creates the instance mutex (kept in `mutex` for the life of the process). When another
// instance already holds it, sends it the arguments (when there are any and its window is
// found by `title`) and returns HandedOver; the caller then ends with exit code 183.
InstanceRole ensureSingleInstance(System& system, const std::wstring& mutexName, const std::wstring& title,
                                  std::unique_ptr<SystemHandle>& mutex);

}  // namespace halvora
