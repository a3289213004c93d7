#include "platform/sim/imaging/sim_apply_target.hpp"

#include <system_error>

#include "platform/sim/disks/sim_volume_space.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"
#include "platform/sim/real/sim_real_volume.hpp"

namespace halvora::sim {

namespace {

// A volume root with nothing but what Windows itself keeps there when a volume is new.
bool holdsNothing(const std::filesystem::path& root) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
        const std::string name = entry.path().filename().string();
        if (name != "System Volume Information" && name != "$RECYCLE.BIN") return false;
    }
    return !ec;
}

}  // namespace

std::uint32_t resolveApplyTarget(const std::shared_ptr<SimMachine>& machine, const std::wstring& path,
                                 ApplyTarget& target) {
    const auto parsed = parseWindowsPath(machine->fullPath(path));
    const auto host = parsed ? machine->hostPath(path) : std::nullopt;
    std::error_code ec;
    if (!host || !std::filesystem::is_directory(*host, ec)) return kErrorPathNotFound;
    const auto device = machine->devices().deviceOfName(std::wstring(1, parsed->drive) + L":");
    if (!device || device->folder.empty()) return kErrorPathNotFound;

    target.windowsRoot = std::wstring(1, parsed->drive) + L":\\";
    for (const auto& component : parsed->components) target.windowsRoot += component + L"\\";
    target.hostRoot = *host;
    // Free space as GetDiskFreeSpaceExW reports it.
    target.room.freeBytes = freeBytes(*device);
    // The root of a real NTFS volume is written by wimlib's NTFS mode, with Windows' metadata.
    // That mode creates every file anew and fails on one that is there; onto a volume that holds
    // files already the apply goes through the volume's mount instead, replacing files as
    // Windows' apply does, though without their security descriptors and short names.
    if (device->partition && device->partition->realVolume && device->partition->realVolume->isNtfs() &&
        parsed->components.empty() && holdsNothing(*host)) {
        target.ntfsVolume = device->partition->realVolume;
    }
    target.room.writeProtected = device->kind == DeviceKind::CdRom;
    target.room.readOnly = [machine](const std::wstring& file) { return machine->isReadOnly(file); };
    const auto driveFolder = hostLocation(device->folder);
    if (!driveFolder) return kErrorPathNotFound;
    target.room.driveFolder = *driveFolder;
    target.room.heldOpen = [machine](const std::filesystem::path& location) {
        return machine->openFiles().isOpenAt(location);
    };
    return 0;
}

}  // namespace halvora::sim
