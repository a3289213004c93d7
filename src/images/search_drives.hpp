#pragma once
// The install-file search over every drive: the body of the search worker.

#include <string>
#include <vector>

#include "ui/program_context.hpp"

namespace halvora {

// Whether the fixed drive at `root` ("C:\") holds a Windows installation: the running system's
// drive, or a drive with Windows\System32\winload.exe or winload.efi.
bool holdsWindows(Program& program, const std::wstring& root);

// Walks every drive for install files with the panel's options and `exclusions`, filling the
// result list, and marks the current install file's row at the end. While it runs the panel
// says so and its options cannot be changed.
void searchDrives(Program& program, std::vector<std::wstring> exclusions);

}  // namespace halvora
