#pragma once

#include <string>

#include "app/program_context.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

// One field of the status bar; field 3 carries every user-visible result, a later line
// replacing an earlier one.
inline void showStatus(Program& program, const std::wstring& text, int field = kStatusMessageField) {
    program.ui.setStatusText(kStatusBar, field, text);
}

}  // namespace halvora
