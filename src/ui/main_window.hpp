#pragma once

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Builds the main window with everything in it, reads the settings, runs this process's
// command line and shows the window. Returns 0, or the platform's error code when the window
// could not be created. `autoStart` tells whether the command line asked to install at once.
std::uint32_t buildMainWindow(Program& program, bool& autoStart);

// Switches the view: "MainPanel", "TargetPanel", "BootPanel", "SearchPanel", or
// "ImageListSizeToggle" for the enlarged image list (a second call restores the main view).
void showPanel(Program& program, const std::string& panel);

// The search list: "크기" right-aligned and the path column taking the width.
void setSearchColumns(Program& program);

}  // namespace halvora
