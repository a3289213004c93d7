#pragma once

#include <string>

#include "app/program_context.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

// One line of the main window's status bar; a later line replaces the earlier one.
inline void showStatus(Program& program, const std::wstring& text, int field = kStatusMessageField) {
    program.ui.setStatusText(kStatusBar, field, text);
}

}  // namespace halvora
