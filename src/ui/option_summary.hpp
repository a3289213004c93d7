#pragma once
// The line beside the options button that lists the options switched on in its menu.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// " Compact WIMboot Verify Check Log" for the marked options menu items, in that order.
std::wstring optionSummary(Program& program);
void rebuildOptionSummary(Program& program);

}  // namespace halvora
