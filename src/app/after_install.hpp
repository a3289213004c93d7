#pragma once
// What happens after an installation: the shutdown or restart is only requested, as the last
// step of the program's exit, once the main window is gone.

#include "app/program_context.hpp"

namespace halvora {

// Enables the shutdown privilege and asks for a shutdown (or restart) with a 1-second timeout.
void requestShutdown(Program& program, bool reboot);

}  // namespace halvora
