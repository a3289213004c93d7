#pragma once

#include "ui/program_context.hpp"

namespace halvora {

// Runs the main window until the user closes it while idle, or an installation ends the
// program. `ExitCode` and `AfterAction` are left for the exit sequence.
void runEventLoop(Program& program);

// One event of the main window; exposed so the loop's rules can be exercised one at a time.
void dispatchEvent(Program& program, const Event& event);

// The information box of the title strip.
void showInformationBox(Program& program);

// The options menu keeps Compact and WIMboot from being marked together.
void toggleOptionsMenuItem(Program& program, int item);

}  // namespace halvora
