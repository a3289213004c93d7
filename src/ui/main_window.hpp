#pragma once

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Creates the main window, hidden, with all its controls and their first values, in the
// interface font. Returns 0, or the platform's error code when the window could not be created.
std::uint32_t createMainWindow(Program& program);

// Paints the labels, captions and lists in the colours of the program state (the settings').
void applyColours(Program& program);

// Switches the view: controls::MainPanel, controls::TargetPanel, controls::BootPanel, controls::SearchPanel, or
// controls::ImageListSizeToggle for the enlarged image list (a second call restores the main view).
void showPanel(Program& program, const ControlName& panel);

// The search list: "크기" right-aligned and the path column taking the width.
void setSearchColumns(Program& program);

}  // namespace halvora
