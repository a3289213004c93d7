#pragma once
// The volumes and DOS-device name space of the simulated machine.

#include <memory>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/volumes.hpp"

namespace halvora::sim {

class SimVolumes final : public Volumes {
public:
    explicit SimVolumes(std::shared_ptr<SimMachine> machine);

    std::unique_ptr<VolumeHandle> openVolume(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                                             std::uint32_t flags, std::uint32_t& lastError) override;
    std::uint32_t queryDosDevice(const std::optional<std::wstring>& name, std::wstring& buffer,
                                 std::uint32_t& lastError) override;
    bool defineDosDevice(std::uint32_t flags, const std::wstring& name, const std::wstring& target,
                         std::uint32_t& lastError) override;
    std::uint32_t logicalDrives() override;
    std::uint32_t logicalDriveStrings(std::wstring& buffer) override;
    std::uint32_t driveType(const std::wstring& root) override;
    bool volumeInformation(const std::wstring& root, VolumeInformation& information) override;
    bool diskFreeSpace(const std::wstring& path, DiskSpace& space) override;

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace halvora::sim
