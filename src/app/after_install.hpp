#pragma once
// What happens after an installation: the person confirms the chosen action once more (with a
// countdown so that an unattended installation goes on by itself); a shutdown or restart is
// only requested as the last step of the program's exit, once the main window is gone.

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Shows the summary with the after-install choice's box and sets AfterAction: the choice when
// the answer is Yes, else Ready. A failed boot configuration (`bootResult` not 0) shows a
// warning icon and counts down 5 seconds longer.
void confirmAfterAction(Program& program, std::int64_t bootResult, const std::wstring& summary);

// Enables the shutdown privilege and asks for a shutdown (or restart) with a 1-second timeout.
void requestShutdown(Program& program, bool reboot);

}  // namespace halvora
