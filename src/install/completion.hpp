#pragma once
// What the interface thread does when a worker reports the end of its work.

#include "app/program_context.hpp"

namespace halvora {

inline constexpr int kCancelTimer = 500;

// The apply ended with an error or was cancelled: report it and return to idle.
void onApplyFailed(Program& program);

// Timer 500: the cancel button comes back while a cancelled job still winds down.
void onCancelTimer(Program& program);

}  // namespace halvora
