// The volumes of the simulated machine as the Windows volume calls see them, over the machine's
// devices and DOS-device name space.

#include "platform/sim/disks/sim_volumes.hpp"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/sim/disks/sim_volume_records.hpp"
#include "platform/sim/disks/sim_volume_space.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

// "X:" or "X:\" -> the upper-case letter; 0 for anything else.
wchar_t rootLetter(const std::wstring& root) {
    if (root.size() < 2 || root.size() > 3 || root[1] != L':') return 0;
    if (root.size() == 3 && root[2] != L'\\' && root[2] != L'/') return 0;
    const wchar_t letter = foldCase(root[0]);
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

// The DOS name a volume root names: "C:" for "C:\" or "C:", "Volume{...}" for "\\?\Volume{...}\".
std::wstring dosNameOfRoot(const std::wstring& root) {
    if (const wchar_t letter = rootLetter(root)) return std::wstring(1, letter) + L":";
    if (root.size() > 4 && root.compare(0, 4, L"\\\\?\\") == 0) {
        std::wstring name = root.substr(4);
        if (!name.empty() && name.back() == L'\\') name.pop_back();
        return name;
    }
    return L"";
}

bool answer(const std::vector<std::uint8_t>& record, void* out, std::uint32_t outSize, std::uint32_t& bytesReturned,
            std::uint32_t& lastError) {
    if (out == nullptr || outSize < record.size()) {
        lastError = kErrorInsufficientBuffer;
        return false;
    }
    std::memcpy(out, record.data(), record.size());
    bytesReturned = static_cast<std::uint32_t>(record.size());
    return true;
}

class SimVolumeHandle final : public VolumeHandle {
public:
    SimVolumeHandle(std::shared_ptr<SimMachine> machine, DeviceInfo device)
        : machine_(std::move(machine)), device_(std::move(device)) {}

    bool deviceIoControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                         std::uint32_t& bytesReturned, std::uint32_t& lastError) override {
        bytesReturned = 0;
        if (const std::uint32_t error = machine_->enterCall("DeviceIoControl")) {
            lastError = error;
            return false;
        }
        const bool volume = device_.kind == DeviceKind::Volume;
        switch (code) {
            case kIoctlStorageGetDeviceNumber:
                if (!volume) break;
                return answer(deviceNumberRecord(device_), out, outSize, bytesReturned, lastError);
            case kIoctlDiskGetPartitionInfoEx:
                if (!volume) break;
                return answer(partitionInfoRecord(device_), out, outSize, bytesReturned, lastError);
            case kIoctlStorageQueryProperty: {
                if (!volume && device_.kind != DeviceKind::CdRom) break;
                if (in == nullptr || inSize < kPropertyQuerySize) {
                    lastError = kErrorInvalidParameter;
                    return false;
                }
                std::uint32_t property[2];
                std::memcpy(property, in, sizeof property);
                // Only StorageDeviceProperty with PropertyStandardQuery is answered.
                if (property[0] != 0 || property[1] != 0) break;
                return answer(deviceDescriptorRecord(device_), out, outSize, bytesReturned, lastError);
            }
            default:
                break;
        }
        lastError = kErrorInvalidFunction;
        return false;
    }

private:
    std::shared_ptr<SimMachine> machine_;  // the device's descriptions live as long as the machine
    DeviceInfo device_;
};

}  // namespace

SimVolumes::SimVolumes(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

std::unique_ptr<VolumeHandle> SimVolumes::openVolume(const std::wstring& path, std::uint32_t, std::uint32_t,
                                                     std::uint32_t, std::uint32_t& lastError) {
    if (const std::uint32_t error = machine_->enterCall("CreateFileW")) {
        lastError = error;
        return nullptr;
    }
    // "\\.\C:", "\\.\HarddiskVolume3", "\\?\Volume{GUID}": a DOS name behind the device prefix.
    const bool prefixed =
        path.size() > 4 && (path.compare(0, 4, L"\\\\.\\") == 0 || path.compare(0, 4, L"\\\\?\\") == 0);
    const std::wstring name = prefixed ? path.substr(4) : L"";
    const auto device = name.find_first_of(L"\\/") == std::wstring::npos && !name.empty()
                            ? machine_->devices().deviceOfName(name)
                            : std::nullopt;
    if (!device) {
        lastError = kErrorFileNotFound;
        return nullptr;
    }
    return std::make_unique<SimVolumeHandle>(machine_, *device);
}

std::uint32_t SimVolumes::queryDosDevice(const std::optional<std::wstring>& name, std::wstring& buffer,
                                         std::uint32_t& lastError) {
    if (const std::uint32_t error = machine_->enterCall("QueryDosDeviceW")) {
        lastError = error;
        return 0;
    }
    std::vector<std::wstring> entries;
    if (name) {
        entries = machine_->devices().targets(*name);
        if (entries.empty()) {
            lastError = kErrorFileNotFound;
            return 0;
        }
    } else {
        entries = machine_->devices().names();
    }
    std::wstring content;
    for (const auto& entry : entries) content += entry + L'\0';
    content += L'\0';
    if (content.size() > buffer.size()) {
        lastError = kErrorInsufficientBuffer;
        return 0;
    }
    std::copy(content.begin(), content.end(), buffer.begin());
    return static_cast<std::uint32_t>(content.size());
}

bool SimVolumes::defineDosDevice(std::uint32_t flags, const std::wstring& name, const std::wstring& target,
                                 std::uint32_t& lastError) {
    std::uint32_t error = machine_->enterCall("DefineDosDeviceW");
    if (error == 0) error = machine_->devices().define(flags, name, target);
    machine_->record(L"DefineDosDeviceW " + hexText(flags) + L" " + name + L" " + target +
                     (error == 0 ? L"" : L" -> error " + std::to_wstring(error)));
    if (error != 0) {
        lastError = error;
        return false;
    }
    return true;
}

std::uint32_t SimVolumes::logicalDrives() {
    if (machine_->enterCall("GetLogicalDrives")) return 0;
    std::uint32_t mask = 0;
    for (const wchar_t letter : machine_->devices().letters()) mask |= 1u << (letter - L'A');
    return mask;
}

std::uint32_t SimVolumes::logicalDriveStrings(std::wstring& buffer) {
    if (machine_->enterCall("GetLogicalDriveStringsW")) return 0;
    std::wstring content;
    for (const wchar_t letter : machine_->devices().letters()) content += std::wstring(1, letter) + L":\\" + L'\0';
    // Room for the final NUL too; when it does not fit, the size needed says so and nothing is written.
    if (content.size() + 1 > buffer.size()) return static_cast<std::uint32_t>(content.size() + 1);
    content += L'\0';
    std::copy(content.begin(), content.end(), buffer.begin());
    return static_cast<std::uint32_t>(content.size() - 1);
}

std::uint32_t SimVolumes::driveType(const std::wstring& root) {
    // GetDriveTypeW has no failure of its own; a drive it cannot make out is "unknown".
    if (machine_->enterCall("GetDriveTypeW")) return kDriveUnknown;
    const std::wstring name = dosNameOfRoot(root);
    const auto device = name.empty() ? std::nullopt : machine_->devices().deviceOfName(name);
    if (!device) return kDriveNoRootDir;
    switch (device->kind) {
        case DeviceKind::Volume:
            return device->disk->removable ? kDriveRemovable : kDriveFixed;
        case DeviceKind::CdRom:
            return kDriveCdRom;
        case DeviceKind::Network:
            return kDriveRemote;
        case DeviceKind::RamDisk:
            return kDriveRamDisk;
        case DeviceKind::Folder:
            return kDriveFixed;
        case DeviceKind::ShadowCopy:
            return kDriveNoRootDir;
    }
    return kDriveUnknown;
}

bool SimVolumes::volumeInformation(const std::wstring& root, VolumeInformation& information) {
    if (machine_->enterCall("GetVolumeInformationW")) return false;
    const std::wstring name = dosNameOfRoot(root);
    const auto device = name.empty() ? std::nullopt : machine_->devices().deviceOfName(name);
    if (!device || device->folder.empty()) return false;
    information.label = device->label;
    information.fileSystem = device->fileSystem;
    information.serialNumber = device->serial;
    information.maximumComponentLength = 255;
    const bool ntfs = equalsNoCase(device->fileSystem, L"NTFS");
    // Case-preserving, Unicode names; NTFS adds ACLs, compression, streams and the rest.
    information.fileSystemFlags = ntfs ? 0x03E706FFu : 0x00000006u;
    return true;
}

bool SimVolumes::diskFreeSpace(const std::wstring& path, DiskSpace& space) {
    if (machine_->enterCall("GetDiskFreeSpaceExW")) return false;
    const wchar_t letter = path.size() >= 2 ? rootLetter(path.substr(0, std::min<std::size_t>(path.size(), 3))) : 0;
    const auto device = letter ? machine_->devices().deviceOfName(std::wstring(1, letter) + L":") : std::nullopt;
    if (!device || device->folder.empty()) return false;
    if (device->kind == DeviceKind::CdRom) {
        space = DiskSpace{0, folderUsage(device->folder), 0};  // a disc is as large as what it holds, and full
        return true;
    }
    const std::uint64_t free = freeBytes(*device);
    space = DiskSpace{free, device->size, free};
    return true;
}

}  // namespace halvora::sim
