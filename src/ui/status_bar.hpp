#pragma once

#include <string>

#include "ui/main_window_layout.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// One line of the main window's status bar; a later line replaces the earlier one.
inline void showStatus(Program& program, const std::wstring& text, int field = kStatusMessageField) {
    program.ui.setStatusText(controls::StatusBar, field, text);
}

}  // namespace halvora
