#pragma once
// The install button: starts an installation (checks, confirmation, the apply on its worker)
// or, while one runs, asks whether to cancel it.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// `automatic` is true for a start asked for on the command line (the confirmation then counts
// down).
void installCommand(Program& program, bool automatic);

// Closes the loaded image and the image file, and stops the imaging log when it runs.
void closeApplyHandles(Program& program);

// Part `part` of a split set named by its first part: D:\s\install.swm, 2 → D:\s\install2.swm.
std::wstring splitPartPath(const std::wstring& firstPart, unsigned part);

}  // namespace halvora
