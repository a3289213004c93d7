#pragma once
// Host commands for tests that make disk images and read them back with the host's own tools
// (sgdisk, sfdisk, mkfs.fat, mkntfs, mtools). mtools is told not to check a FAT's geometry
// against a floppy's.

#include <string>

namespace halvora::testing {

// Runs `command` through the shell with its output discarded; its exit status (0 on success).
int runShell(const std::string& command);

// Runs `command` through the shell; what it printed on standard output and standard error.
std::string shellOutput(const std::string& command);

}  // namespace halvora::testing
