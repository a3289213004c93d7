// TEMPORARY: the simulated machine has no disks yet; every query fails or finds nothing until the
// disks of the machine description land in this same piece of work.
#include "platform/sim/sim_volumes.hpp"

namespace halvora::sim {

namespace {
constexpr std::uint32_t kErrorFileNotFound = 2;
}

SimVolumes::SimVolumes(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

std::unique_ptr<VolumeHandle> SimVolumes::openVolume(const std::wstring&, std::uint32_t, std::uint32_t, std::uint32_t,
                                                     std::uint32_t& lastError) {
    lastError = kErrorFileNotFound;
    return nullptr;
}
std::uint32_t SimVolumes::queryDosDevice(const std::optional<std::wstring>&, std::wstring&, std::uint32_t& lastError) {
    lastError = kErrorFileNotFound;
    return 0;
}
bool SimVolumes::defineDosDevice(std::uint32_t, const std::wstring&, const std::wstring&, std::uint32_t& lastError) {
    lastError = kErrorFileNotFound;
    return false;
}
std::uint32_t SimVolumes::logicalDrives() { return 0; }
std::uint32_t SimVolumes::logicalDriveStrings(std::wstring&) { return 0; }
std::uint32_t SimVolumes::driveType(const std::wstring&) { return kDriveNoRootDir; }
bool SimVolumes::volumeInformation(const std::wstring&, VolumeInformation&) { return false; }
bool SimVolumes::diskFreeSpace(const std::wstring&, DiskSpace&) { return false; }

}  // namespace halvora::sim
