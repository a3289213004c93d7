#pragma once
// The last step of the program's exit after an installation whose after-install action was
// confirmed: a shutdown or restart, requested only once the main window is gone.

#include <cstdint>

#include "ui/program_context.hpp"

namespace halvora {

// Enables the shutdown privilege and asks for a shutdown (or restart) with a 1-second timeout.
void requestShutdown(Program& program, bool reboot);

}  // namespace halvora
