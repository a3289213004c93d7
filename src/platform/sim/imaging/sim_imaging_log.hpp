#pragma once
// The log files registered with WIMRegisterLogFile on the simulated machine: each gets one line
// per imaging operation while it is registered.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sim/machine/sim_machine.hpp"

namespace halvora::sim {

class ImagingLogFiles {
public:
    explicit ImagingLogFiles(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    // Creates (or empties) the file; 0 or the Windows error of the path.
    std::uint32_t add(const std::wstring& path);
    bool remove(const std::wstring& path);
    // Appends `line` and a line break to every registered file.
    void write(const std::wstring& line);

private:
    std::shared_ptr<SimMachine> machine_;
    std::mutex mutex_;
    std::map<std::wstring, std::filesystem::path> files_;  // folded Windows path -> host file
};

}  // namespace halvora::sim
