#pragma once
// The start of the main window: built, filled from the settings and the machine's drives, tied
// to the imaging library, given this process's command line, and shown.

#include <cstdint>

#include "ui/program_context.hpp"

namespace halvora {

// Builds the main window with everything in it, reads the settings, runs this process's
// command line and shows the window. Returns 0, or the platform's error code when the window
// could not be created. `autoStart` tells whether the command line asked to install at once.
std::uint32_t buildMainWindow(Program& program, bool& autoStart);

}  // namespace halvora
