#pragma once
// Version.dll on the simulated machine. The version block of a file is the machine
// description's entry for it, serialised; the queries read it back out of the block the
// program holds, so the program goes through the same calls, in the same order, as on Windows.

#include <memory>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/system.hpp"

namespace halvora::sim {

class SimVersionLibrary : public VersionLibrary {
public:
    explicit SimVersionLibrary(std::shared_ptr<SimMachine> machine);

    std::uint32_t getFileVersionInfoSize(const std::wstring& path) override;
    bool getFileVersionInfo(const std::wstring& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;
    bool queryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                          std::uint16_t& codePage) override;
    bool queryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                     std::wstring& value) override;
    std::wstring languageName(std::uint32_t language) override;

private:
    // The block of the file, empty when it has no version resource.
    std::string blockOf(const std::wstring& path) const;

    std::shared_ptr<SimMachine> machine_;
};

}  // namespace halvora::sim
