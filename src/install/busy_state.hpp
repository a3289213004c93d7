#pragma once

#include "ui/program_context.hpp"

namespace halvora {

// Marks an installation or boot repair as running (or finished): the install controls are
// disabled while it runs, and the progress displays start from zero either way.
void setBusy(Program& program, bool busy);

}  // namespace halvora
