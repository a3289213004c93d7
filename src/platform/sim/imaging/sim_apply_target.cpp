#include "platform/sim/imaging/sim_apply_target.hpp"

#include <system_error>

#include "platform/sim/files/sim_folder_usage.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"

namespace halvora::sim {

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
    // Free space as GetDiskFreeSpaceExW reports it: the volume's size less what it holds now.
    const std::uint64_t used = folderUsage(device->folder);
    target.room.freeBytes = used < device->size ? device->size - used : 0;
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
