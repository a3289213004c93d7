#pragma once
// Files dropped on the main window: answer files, a $OEM$ folder and image files go where the
// user would have put them with the buttons.

#include <string>
#include <vector>

#include "ui/program_context.hpp"

namespace halvora {

// The first file of a drop; empty when the drop held none.
std::wstring droppedFileName(const std::vector<std::wstring>& files);

// Routes one dropped file. Nothing happens while anything runs, while a box or another panel
// is in front, or for an empty name.
void handleDroppedFile(Program& program, const std::wstring& name);

}  // namespace halvora
