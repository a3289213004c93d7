#pragma once
// The file steps of the simulated boot tool, on the machine's drives and through the sim's own
// file calls (sim_files.hpp), so that a read-only, full or busy volume stops the tool as it
// stops the program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"

namespace halvora::sim::boot_files {

bool isFolder(const SimMachine& machine, const std::wstring& path);
// The whole file; nullopt when there is no such file.
std::optional<std::string> readFile(const SimMachine& machine, const std::wstring& path);
// `root`\names[0]\names[1]\..., each folder made as far as it is missing. 0 or the Windows error.
std::uint32_t ensureFolder(SimMachine& machine, const std::wstring& root, const std::vector<std::wstring>& names);
// Writes the file, replacing a hidden or system copy as the boot tool does (a read-only one
// refuses). 0 or the Windows error.
std::uint32_t placeFile(SimMachine& machine, const std::wstring& target, const std::string& bytes);
// Copies what the folder `from` holds, files and sub-folders, into the existing folder `to`,
// leaving out the top-level names in `skipped` (compared without case) and links. 0 or the
// Windows error of the first step that failed.
std::uint32_t copyFolder(SimMachine& machine, const std::wstring& from, const std::wstring& to,
                         const std::vector<std::wstring>& skipped = {});

}  // namespace halvora::sim::boot_files
