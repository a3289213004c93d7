#pragma once
// Formatting a chosen drive from the main view, with the checks that keep the running system,
// its boot partition and MBR ESPs from being formatted by mistake.

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Whether `path` ("E:" or "E:\") may be formatted; the reasons go to the status bar when `show`.
bool checkFormatTarget(Program& program, const std::wstring& path, bool show);

// The platform's format dialog for the drive, owned by the main window; its result, or 0 when
// the text names no drive.
std::uint32_t formatDrive(Program& program, const std::wstring& drive);

// The "F" button next to a chosen location (TargetRow or BootRow): check, format, then read both
// chosen volumes again.
void formatChosenDrive(Program& program, const ControlName& oneRow);

}  // namespace halvora
