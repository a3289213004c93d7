#pragma once

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Whether the installation described by the main window may start: an image file and number,
// an install location that is not the running system, room for the image, then the person's
// confirmation (counting down when `automatic`). `note` receives the boot-location remarks
// shown while the apply runs, also when the answer is false.
bool checkBeforeInstall(Program& program, bool automatic, std::wstring& note);

}  // namespace halvora
