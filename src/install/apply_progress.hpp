#pragma once
// What the imaging library reports while it applies an image: percent and time left, files it
// retries, warns about or fails on. Runs on the applying worker's thread.

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// "남은 시간: 2분 5초" for 125000 ms; just the prefix when the time is not known (0 or less).
std::wstring remainingTimeText(std::int64_t milliseconds);

// Shows the message and returns the library's answer: abort once a cancel was confirmed.
std::uint32_t onImagingMessage(Program& program, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace halvora
