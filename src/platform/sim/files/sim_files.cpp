#include "platform/sim/files/sim_files.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <fstream>
#include <system_error>

#include "base/utf.hpp"
#include "platform/sim/disks/sim_volume_space.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim::files {

namespace {

namespace fs = std::filesystem;

bool isFile(const fs::path& host) {
    std::error_code ec;
    return fs::is_regular_file(host, ec);
}

bool isFolder(const fs::path& host) {
    std::error_code ec;
    return fs::is_directory(host, ec);
}

std::uint64_t sizeOf(const fs::path& host) {
    std::error_code ec;
    const auto size = fs::file_size(host, ec);
    return ec ? 0 : size;
}

std::optional<DeviceInfo> deviceOf(const SimMachine& machine, wchar_t letter) {
    return machine.devices().deviceOfName(std::wstring(1, letter) + L":");
}

// A read-only path of the description or anything on a CD-ROM.
bool writeProtected(const SimMachine& machine, const std::wstring& path) {
    if (machine.isReadOnly(path)) return true;
    const auto parsed = parseWindowsPath(machine.fullPath(path));
    const auto device = parsed ? deviceOf(machine, parsed->drive) : std::nullopt;
    return device && device->kind == DeviceKind::CdRom;
}

// A place a file or folder is about to be made or replaced at: its host path and the device
// whose room it takes.
struct Target {
    fs::path host;
    DeviceInfo device;
};

// The checks every write shares: the path names something inside a folder that exists, on a
// device that can be written.
std::uint32_t target(const SimMachine& machine, const std::wstring& path, Target& out) {
    const auto parsed = parseWindowsPath(machine.fullPath(path));
    const auto host = machine.hostPath(path);
    const auto device = parsed ? deviceOf(machine, parsed->drive) : std::nullopt;
    if (!parsed || !host || !device) return kPathNotFound;
    if (parsed->components.empty()) return kAccessDenied;  // a drive's root is no file
    if (!isFolder(host->parent_path())) return kPathNotFound;
    if (writeProtected(machine, path)) return kWriteProtect;
    out = Target{*host, *device};
    return 0;
}

// Where the folder of the drive that `path` lies on leads on the host.
std::optional<fs::path> driveLocation(const SimMachine& machine, const std::wstring& path) {
    const auto parsed = parseWindowsPath(machine.fullPath(path));
    if (!parsed) return std::nullopt;
    const auto drives = machine.drives();
    const auto drive = drives.find(parsed->drive);
    return drive == drives.end() ? std::nullopt : hostLocation(drive->second);
}

// A listed entry that is a host link leading out of its drive's folder.
bool leadsOut(const fs::path& entry, const std::optional<fs::path>& driveFolder) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(entry, ec))) return false;
    const auto location = hostLocation(entry);
    return !location || !driveFolder || !isInside(*location, *driveFolder);
}

// Whether `needed` more bytes fit on the device, counting the `replaced` bytes a write frees.
bool fits(const DeviceInfo& device, std::uint64_t needed, std::uint64_t replaced) {
    return needed <= replaced || needed - replaced <= freeBytes(device);
}

}  // namespace

std::uint32_t attributes(const SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    if (!host) return kInvalidFileAttributes;
    return machine.fileAttributes().of(*host);
}

std::uint32_t setAttributes(SimMachine& machine, const std::wstring& path, std::uint32_t attributes) {
    const auto host = machine.hostPath(path);
    if (!host || machine.fileAttributes().of(*host) == kInvalidFileAttributes) return kFileNotFound;
    if (writeProtected(machine, path)) return kWriteProtect;
    machine.fileAttributes().set(*host, attributes);
    return 0;
}

std::uint32_t createFolder(SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    std::error_code ec;
    if (host && fs::exists(*host, ec)) return kAlreadyExists;
    Target place;
    if (const std::uint32_t error = target(machine, path, place)) return error;
    if (!fs::create_directory(place.host, ec) || ec) return kAccessDenied;
    machine.fileAttributes().forget(place.host);
    return 0;
}

std::uint32_t copy(SimMachine& machine, const std::wstring& from, const std::wstring& to, bool failIfExists) {
    const auto source = machine.hostPath(from);
    std::error_code ec;
    if (!source || !fs::exists(*source, ec)) return kFileNotFound;
    if (!isFile(*source)) return kAccessDenied;
    Target place;
    if (const std::uint32_t error = target(machine, to, place)) return error;
    if (isFolder(place.host)) return kAccessDenied;
    const bool exists = isFile(place.host);
    if (exists && fs::equivalent(*source, place.host, ec)) return kSharingViolation;
    if (exists && failIfExists) return kFileExists;
    const std::uint32_t sourceAttributes = machine.fileAttributes().of(*source);
    if (exists && (machine.fileAttributes().of(place.host) & (kFileAttributeReadOnly | kFileAttributeHidden))) {
        return kAccessDenied;
    }
    if (exists && machine.openFiles().isOpen(place.host)) return kSharingViolation;
    if (!fits(place.device, sizeOf(*source), exists ? sizeOf(place.host) : 0)) return kDiskFull;
    if (!fs::copy_file(*source, place.host, fs::copy_options::overwrite_existing, ec) || ec) return kAccessDenied;
    machine.fileAttributes().set(place.host, sourceAttributes);
    return 0;
}

std::uint32_t write(SimMachine& machine, const std::wstring& path, const std::string& bytes, HiddenFile hidden) {
    Target place;
    if (const std::uint32_t error = target(machine, path, place)) return error;
    if (isFolder(place.host)) return kAccessDenied;
    const bool exists = isFile(place.host);
    if (exists) {
        const std::uint32_t current = machine.fileAttributes().of(place.host);
        const std::uint32_t refused =
            kFileAttributeReadOnly | (hidden == HiddenFile::Refuse ? kFileAttributeHidden | kFileAttributeSystem : 0u);
        if (current & refused) return kAccessDenied;
        if (machine.openFiles().isOpen(place.host)) return kSharingViolation;
    }
    if (!fits(place.device, bytes.size(), exists ? sizeOf(place.host) : 0)) return kDiskFull;
    std::ofstream out(place.host, std::ios::binary | std::ios::trunc);
    if (!out) return kAccessDenied;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return kAccessDenied;
    if (!exists) machine.fileAttributes().forget(place.host);
    return 0;
}

std::uint32_t remove(SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    if (!host || !isFile(*host)) return host && isFolder(*host) ? kAccessDenied : kFileNotFound;
    if (writeProtected(machine, path)) return kWriteProtect;
    if (machine.fileAttributes().of(*host) & kFileAttributeReadOnly) return kAccessDenied;
    if (machine.openFiles().isOpen(*host)) return kSharingViolation;
    std::error_code ec;
    if (!fs::remove(*host, ec) || ec) return kAccessDenied;
    machine.fileAttributes().forget(*host);
    return 0;
}

std::optional<std::vector<FolderEntry>> list(const SimMachine& machine, const std::wstring& folder) {
    const auto host = machine.hostPath(folder);
    if (!host || !isFolder(*host)) return std::nullopt;
    const auto driveFolder = driveLocation(machine, folder);
    // Read with the host's own calls, one stat per entry relative to the open folder: a walk
    // over a large drive then costs about what the host's directory reading does.
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(host->c_str()), closedir);
    if (!dir) return std::nullopt;
    std::vector<SimFileAttributes::ListedName> names;
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        names.push_back({name, entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN});
    }
    if (errno != 0) return std::nullopt;
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    const auto marks = machine.fileAttributes().marksOfEntries(*host, names);
    std::vector<FolderEntry> entries;
    entries.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].viaLink && leadsOut(*host / names[i].name, driveFolder)) {
            // Listed as a link to nowhere, without a look at what is out there.
            entries.push_back(FolderEntry{fromUtf8(names[i].name), kAttributeReparsePoint, 0});
            continue;
        }
        struct stat status {};
        if (fstatat(dirfd(dir.get()), names[i].name.c_str(), &status, 0) != 0) continue;  // gone since it was listed
        const bool isFolderEntry = S_ISDIR(status.st_mode);
        const bool writable = (status.st_mode & S_IWUSR) != 0;
        const std::uint64_t size = S_ISREG(status.st_mode) ? static_cast<std::uint64_t>(status.st_size) : 0;
        entries.push_back(
            FolderEntry{fromUtf8(names[i].name),
                        SimFileAttributes::attributesOf(isFolderEntry, isFolderEntry || writable, marks[i]), size});
    }
    return entries;
}

}  // namespace halvora::sim::files
