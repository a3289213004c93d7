#include "platform/sim/disks/sim_devices.hpp"

#include <algorithm>

#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_machine_description.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kRawTargetPath = 0x1;
constexpr std::uint32_t kRemoveDefinition = 0x2;
constexpr std::uint32_t kExactMatchOnRemove = 0x4;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kPlainDriveSize = 256ull << 30;
constexpr std::uint64_t kNetworkDriveSize = 1ull << 40;
constexpr std::uint64_t kRamDiskSize = 4ull << 30;

std::wstring letterName(wchar_t letter) { return std::wstring(1, foldCase(letter)) + L":"; }

bool startsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// Volume GUIDs are made from the volume's place so that they stay the same from run to run.
Guid madeGuid(std::uint32_t tag, std::uint32_t disk, std::uint32_t partition) {
    return Guid{tag,
                static_cast<std::uint16_t>(disk),
                static_cast<std::uint16_t>(partition),
                {0x80, 0x00, 0x48, 0x4C, 0x56, 0x53, 0x49, 0x4D}};
}

std::uint32_t serialOf(std::size_t index) { return 0x5A3C0000u + static_cast<std::uint32_t>(index) * 0x1111u; }

}  // namespace

SimDevices::SimDevices(const MachineDescription& description) {
    push(L"NUL", L"\\Device\\Null");
    push(L"PIPE", L"\\Device\\NamedPipe");
    push(L"Global", L"\\GLOBAL??");
    for (const auto& disk : description.storage.disks) {
        const std::wstring n = std::to_wstring(disk.number);
        push(L"PhysicalDrive" + n, L"\\Device\\Harddisk" + n + L"\\DR" + n);
    }
    std::uint32_t volume = 0;
    for (const auto& disk : description.storage.disks) {
        std::uint64_t offset = kMiB;
        for (const auto& partition : disk.partitions) {
            DeviceInfo info;
            info.kind = DeviceKind::Volume;
            info.ntName = L"\\Device\\HarddiskVolume" + std::to_wstring(++volume);
            info.folder = partition.folder;
            info.disk = &disk;
            info.partition = &partition;
            info.startingOffset = partition.offset.value_or(offset);
            info.volumeGuid = madeGuid(0x7A11E000u + volume, disk.number, partition.number);
            info.partitionId =
                partition.partitionGuid.value_or(madeGuid(0x9A271000u + volume, disk.number, partition.number));
            info.label = partition.label;
            info.fileSystem = partition.fileSystem;
            info.serial = serialOf(volume);
            info.size = partition.size;
            offset += (partition.size + kMiB - 1) / kMiB * kMiB;
            devices_.push_back(info);
            push(L"HarddiskVolume" + std::to_wstring(volume), info.ntName);
        }
    }
    if (volume > 0) {
        DeviceInfo shadow;
        shadow.kind = DeviceKind::ShadowCopy;
        shadow.ntName = L"\\Device\\HarddiskVolumeShadowCopy1";
        devices_.push_back(shadow);
        push(L"HarddiskVolumeShadowCopy1", shadow.ntName);
    }
    std::uint32_t cdrom = 0;
    for (const auto& cd : description.storage.cdroms) {
        DeviceInfo info;
        info.kind = DeviceKind::CdRom;
        info.ntName = L"\\Device\\CdRom" + std::to_wstring(cdrom);
        info.folder = cd.folder;
        info.label = L"CDROM";
        info.fileSystem = L"UDF";
        info.serial = serialOf(0x100 + cdrom);
        devices_.push_back(info);
        push(L"CdRom" + std::to_wstring(cdrom++), info.ntName);
    }
    for (const auto& device : std::vector<DeviceInfo>(devices_)) {
        if (device.kind == DeviceKind::Volume) push(L"Volume" + guidText(device.volumeGuid), device.ntName);
    }
    // Letters: the volumes', then the CD-ROMs', the other drives' and the plain folders'.
    for (const auto& device : std::vector<DeviceInfo>(devices_)) {
        if (device.kind == DeviceKind::Volume && device.partition->letter != 0) {
            push(letterName(device.partition->letter), device.ntName);
        }
    }
    for (std::size_t i = 0; i < description.storage.cdroms.size(); ++i) {
        push(letterName(description.storage.cdroms[i].letter), L"\\Device\\CdRom" + std::to_wstring(i));
    }
    std::uint32_t ramDisks = 0;
    for (const auto& other : description.storage.otherDrives) {
        DeviceInfo info;
        info.folder = other.folder;
        info.fileSystem = L"NTFS";
        info.serial = serialOf(0x200 + devices_.size());
        if (other.kind == OtherDriveKind::Network) {
            info.kind = DeviceKind::Network;
            info.ntName = L"\\Device\\LanmanRedirector\\;" + letterName(other.letter) + L"0000000000000000\\sim\\share";
            info.size = kNetworkDriveSize;
        } else {
            info.kind = DeviceKind::RamDisk;
            info.ntName = L"\\Device\\Ramdisk" + std::to_wstring(ramDisks++);
            info.size = kRamDiskSize;
        }
        devices_.push_back(info);
        push(letterName(other.letter), info.ntName);
    }
    for (const auto& [letter, folder] : description.drives) addFolderDrive(letter, folder);
}

SimDevices::Link* SimDevices::findLink(const std::wstring& name) {
    for (auto& link : links_) {
        if (equalsNoCase(link.name, name)) return &link;
    }
    return nullptr;
}

const SimDevices::Link* SimDevices::findLink(const std::wstring& name) const {
    return const_cast<SimDevices*>(this)->findLink(name);
}

const DeviceInfo* SimDevices::findDevice(const std::wstring& ntName) const {
    for (const auto& device : devices_) {
        if (equalsNoCase(device.ntName, ntName)) return &device;
    }
    return nullptr;
}

void SimDevices::push(const std::wstring& name, const std::wstring& target) {
    if (Link* link = findLink(name)) {
        link->targets.insert(link->targets.begin(), target);
    } else {
        links_.push_back(Link{name, {target}});
    }
}

std::vector<std::wstring> SimDevices::targets(const std::wstring& name) const {
    std::lock_guard lock(mutex_);
    const Link* link = findLink(name);
    return link ? link->targets : std::vector<std::wstring>{};
}

std::vector<std::wstring> SimDevices::names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::wstring> out;
    for (const auto& link : links_) out.push_back(link.name);
    return out;
}

std::uint32_t SimDevices::define(std::uint32_t flags, const std::wstring& name, const std::wstring& target) {
    if (name.empty()) return kErrorInvalidParameter;
    std::lock_guard lock(mutex_);
    // Without a raw target the target is a DOS path, linked as the object manager sees it.
    const std::wstring stored = (flags & kRawTargetPath) || target.empty() ? target : L"\\??\\" + target;
    if (!(flags & kRemoveDefinition)) {
        if (target.empty()) return kErrorInvalidParameter;
        push(name, stored);
        return 0;
    }
    Link* link = findLink(name);
    if (!link) return kErrorFileNotFound;
    auto match = link->targets.end();
    if (target.empty()) {
        match = link->targets.begin();  // the most recent definition
    } else {
        for (auto it = link->targets.begin(); it != link->targets.end(); ++it) {
            const bool hit = (flags & kExactMatchOnRemove) ? equalsNoCase(*it, stored) : startsWithNoCase(*it, stored);
            if (hit) {
                match = it;
                break;
            }
        }
    }
    if (match == link->targets.end()) return kErrorFileNotFound;
    link->targets.erase(match);
    if (link->targets.empty()) {
        links_.erase(links_.begin() + (link - links_.data()));
    }
    return 0;
}

std::optional<DeviceInfo> SimDevices::resolve(const std::wstring& target, int depth) const {
    if (const DeviceInfo* device = findDevice(target)) return *device;
    // "\??\X:\folder": a letter made of a path on another drive, as SUBST makes them.
    if (depth == 0 && startsWithNoCase(target, L"\\??\\")) {
        const auto folders = letterFoldersLocked();
        const auto host = mapToHost(folders, target.substr(4));
        if (!host) return std::nullopt;
        DeviceInfo info;
        info.kind = DeviceKind::Folder;
        info.ntName = target;
        info.folder = *host;
        info.fileSystem = L"NTFS";
        info.size = kPlainDriveSize;
        return info;
    }
    return std::nullopt;
}

std::optional<DeviceInfo> SimDevices::deviceOfName(const std::wstring& name) const {
    std::lock_guard lock(mutex_);
    const Link* link = findLink(name);
    if (!link) return std::nullopt;
    return resolve(link->targets.front(), 0);
}

DriveFolders SimDevices::letterFoldersLocked() const {
    DriveFolders out;
    for (const auto& link : links_) {
        if (link.name.size() != 2 || link.name[1] != L':') continue;
        const DeviceInfo* device = findDevice(link.targets.front());
        if (device && !device->folder.empty()) out[link.name[0]] = device->folder;
    }
    // SUBST-like letters after the others, as they point into them.
    for (const auto& link : links_) {
        if (link.name.size() != 2 || link.name[1] != L':' || out.count(link.name[0])) continue;
        if (!startsWithNoCase(link.targets.front(), L"\\??\\")) continue;
        if (auto host = mapToHost(out, link.targets.front().substr(4))) out[link.name[0]] = *host;
    }
    return out;
}

DriveFolders SimDevices::letterFolders() const {
    std::lock_guard lock(mutex_);
    return letterFoldersLocked();
}

std::vector<wchar_t> SimDevices::letters() const {
    std::lock_guard lock(mutex_);
    std::vector<wchar_t> out;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (findLink(letterName(letter))) out.push_back(letter);
    }
    return out;
}

void SimDevices::addFolderDrive(wchar_t letter, const std::filesystem::path& folder) {
    std::lock_guard lock(mutex_);
    const std::wstring ntName = L"\\Device\\SimFolderDrive" + std::wstring(1, foldCase(letter));
    DeviceInfo* existing = const_cast<DeviceInfo*>(findDevice(ntName));
    if (existing) {
        existing->folder = folder;
    } else {
        DeviceInfo info;
        info.kind = DeviceKind::Folder;
        info.ntName = ntName;
        info.folder = folder;
        info.fileSystem = L"NTFS";
        info.serial = serialOf(0x300 + (foldCase(letter) - L'A'));
        info.size = kPlainDriveSize;
        devices_.push_back(info);
    }
    Link* link = findLink(letterName(letter));
    if (!link || !equalsNoCase(link->targets.front(), ntName)) push(letterName(letter), ntName);
}

void SimDevices::removeFolderDrive(wchar_t letter) {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(links_.begin(), links_.end(),
                                 [&](const Link& link) { return equalsNoCase(link.name, letterName(letter)); });
    if (it != links_.end()) links_.erase(it);
}

bool SimDevices::setVolumeFormat(wchar_t letter, const std::wstring& fileSystem, const std::wstring& label) {
    std::lock_guard lock(mutex_);
    const Link* link = findLink(letterName(letter));
    if (!link) return false;
    for (auto& device : devices_) {
        if (device.kind == DeviceKind::Volume && equalsNoCase(device.ntName, link->targets.front())) {
            device.fileSystem = fileSystem;
            device.label = label;
            return true;
        }
    }
    return false;
}

std::uint32_t SimDevices::addCdRom(DeviceInfo info, bool withLetter, wchar_t& letter) {
    std::lock_guard lock(mutex_);
    std::uint32_t number = 0;
    while (findDevice(L"\\Device\\CdRom" + std::to_wstring(number))) ++number;
    info.kind = DeviceKind::CdRom;
    info.ntName = L"\\Device\\CdRom" + std::to_wstring(number);
    info.serial = serialOf(0x100 + number);
    devices_.push_back(info);
    push(L"CdRom" + std::to_wstring(number), info.ntName);
    letter = withLetter ? giveFreeLetterLocked(info.ntName) : 0;
    return number;
}

wchar_t SimDevices::giveFreeLetterLocked(const std::wstring& ntName) {
    // Windows hands out the first letter no name uses; A: and B: are the floppies', and C: is
    // the system's on any machine the program runs on.
    for (wchar_t candidate = L'D'; candidate <= L'Z'; ++candidate) {
        if (findLink(letterName(candidate))) continue;
        push(letterName(candidate), ntName);
        return candidate;
    }
    return 0;
}

wchar_t SimDevices::giveLetter(const std::wstring& ntName) {
    std::lock_guard lock(mutex_);
    if (!findDevice(ntName)) return 0;  // detached meanwhile
    for (const Link& link : links_) {
        // A device that has a letter already (a later disc of the same number) keeps it.
        if (link.name.size() == 2 && link.name[1] == L':' && !link.targets.empty() &&
            equalsNoCase(link.targets.front(), ntName)) {
            return link.name[0];
        }
    }
    return giveFreeLetterLocked(ntName);
}

void SimDevices::removeDevice(const std::wstring& ntName) {
    std::lock_guard lock(mutex_);
    for (auto link = links_.begin(); link != links_.end();) {
        std::erase_if(link->targets, [&](const std::wstring& target) { return equalsNoCase(target, ntName); });
        link = link->targets.empty() ? links_.erase(link) : std::next(link);
    }
    std::erase_if(devices_, [&](const DeviceInfo& device) { return equalsNoCase(device.ntName, ntName); });
}

}  // namespace halvora::sim
