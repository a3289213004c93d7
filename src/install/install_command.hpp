#pragma once
// The install button: starts an installation (checks, confirmation, the apply on its worker)
// or, while one runs, asks whether to cancel it.

#include <cstdint>
#include <string>

#include "install/installation_request.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// `automatic` is true for a start asked for on the command line (the confirmation then counts
// down).
void installCommand(Program& program, bool automatic);

// Closes the loaded image and the image file, and stops the imaging log when `stopImagingLog`
// (the request's "Log").
void closeApplyHandles(Program& program, bool stopImagingLog);

// The imaging library's apply flags for the options; Compact only where this Windows has it.
std::uint32_t applyFlags(const InstallOptions& options, bool compactSupported);

}  // namespace halvora
