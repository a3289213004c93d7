#pragma once
// Host programs the sim starts for real disks (ntfs-3g, mkntfs, mkfs.fat, the mtools). They are
// found on the host's PATH and started directly, without a shell, so no argument is ever read
// as shell syntax.

#include <string>
#include <vector>

namespace halvora::sim {

struct HostRun {
    int exitCode = -1;   // -1: the program could not be started or was killed by a signal
    std::string output;  // standard output and standard error together
};

// Runs `argv` (argv[0] is the program's name) to its end, with `environment` added to the
// host's, and collects what it prints.
HostRun runHostProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// Starts `argv` and leaves it running; the child gets SIGTERM when this process ends, however it
// ends, so a FUSE daemon it is never outlives the run. Returns its process id, or -1.
int startHostProgram(const std::vector<std::string>& argv);

// Sends SIGTERM to a program started above and waits, at most `milliseconds`, for it to end.
// True when it ended.
bool stopHostProgram(int pid, int milliseconds);

// The program's full path on PATH, or empty.
std::string findHostProgram(const std::string& name);

}  // namespace halvora::sim
