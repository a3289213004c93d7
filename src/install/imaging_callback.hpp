#pragma once
// The program's message callback with the imaging library, registered for every handle while
// the main window exists.

#include "ui/program_context.hpp"

namespace halvora {

void registerImagingCallback(Program& program);
void unregisterImagingCallback(Program& program);

}  // namespace halvora
