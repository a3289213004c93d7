#pragma once
// What the interface thread does when a worker reports the end of its work: the rest of an
// installation (boot configuration, customisations, summary, after-install action) or of a boot
// repair, and the way back to idle.

#include <cstdint>

#include "platform/event.hpp"
#include "ui/program_context.hpp"

namespace halvora {

inline constexpr int kCancelTimer = 500;

// The apply ended with an error or was cancelled: report it and return to idle.
void onApplyFailed(Program& program);

// The apply succeeded (or a boot repair starts): the boot configuration runs next.
void onApplySucceeded(Program& program);

// Bcdboot has run (or could not): place the customisations, show the summary, then stay or end.
void onBootConfigDone(Program& program, const Event& event);

// What follows the summary: back to idle (the exit code cleared), or the program ends with an
// exit code that reports a failed boot configuration unless an earlier error already set one.
struct CompletionOutcome {
    bool quit = false;
    std::int32_t exitCode = 0;
};
CompletionOutcome completionOutcome(int afterAction, std::int64_t bootResult, std::int32_t exitCode);

// The boot repair button: the boot configuration alone, for a Windows already installed.
void bootRepairCommand(Program& program);

// Timer 500: the cancel button comes back while a cancelled job still winds down.
void onCancelTimer(Program& program);

}  // namespace halvora
