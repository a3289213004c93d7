#pragma once
// The devices of the simulated machine and its DOS-device name space. Every volume, CD-ROM and
// other drive is an NT device (\Device\HarddiskVolume2, \Device\CdRom0, ...); DOS names are
// links to them, each holding a stack of targets whose top is the current definition. Drive
// letters are such links, so a letter defined by the program is a drive for every later
// enumeration and file access. Shared by all program runs on the machine; thread-safe.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/disks/sim_disk_description.hpp"
#include "platform/sim/files/sim_paths.hpp"

namespace halvora::sim {

struct MachineDescription;

enum class DeviceKind {
    Volume,  // a partition of a disk
    CdRom,
    Network,
    RamDisk,
    Folder,      // a plain drive of the description's "drives": on no disk
    ShadowCopy,  // a snapshot of the first volume: a name only, no files
};

// What is known of one device when it is looked up; a copy, safe to keep.
struct DeviceInfo {
    DeviceKind kind = DeviceKind::Folder;
    std::wstring ntName;  // \Device\HarddiskVolume2
    std::filesystem::path folder;
    // Volumes only. The descriptions live as long as the machine.
    const DiskDescription* disk = nullptr;
    const PartitionDescription* partition = nullptr;
    std::uint64_t startingOffset = 0;
    Guid volumeGuid;
    Guid partitionId;
    // Volumes and drives.
    std::wstring label;
    std::wstring fileSystem;
    std::uint32_t serial = 0;
    std::uint64_t size = 0;    // total bytes; for a CD-ROM what its folder holds
    bool virtualDisc = false;  // a CD-ROM that is an attached disc image
};

class SimDevices {
public:
    explicit SimDevices(const MachineDescription& description);

    // --- DOS-device name space (names compare without case) ---------------------------------
    // The targets of `name`, the current definition first; empty when the name is not defined.
    std::vector<std::wstring> targets(const std::wstring& name) const;
    std::vector<std::wstring> names() const;  // every defined name, in a stable order
    // DefineDosDeviceW. Returns 0 or the Windows error code.
    std::uint32_t define(std::uint32_t flags, const std::wstring& name, const std::wstring& target);

    // --- devices ----------------------------------------------------------------------------
    // The device a DOS name currently links to ("C:", "HarddiskVolume3", "Volume{...}").
    std::optional<DeviceInfo> deviceOfName(const std::wstring& name) const;
    // Upper-case letter -> host folder of every drive letter whose device holds files.
    DriveFolders letterFolders() const;
    std::vector<wchar_t> letters() const;  // in use, A to Z
    // A plain folder drive (as the description's "drives"): defines the letter, or removes it.
    void addFolderDrive(wchar_t letter, const std::filesystem::path& folder);
    void removeFolderDrive(wchar_t letter);
    // Sets what a format leaves on the volume behind `letter`; false when it is no volume.
    bool setVolumeFormat(wchar_t letter, const std::wstring& fileSystem, const std::wstring& label);
    // A CD-ROM that arrives while the machine runs (an attached disc image): the device
    // \Device\CdRomN with the first number no CD-ROM has, the DOS name CdRomN and, with
    // `withLetter`, the first free letter from D: on (0 when none is free). `info` gives the
    // folder, label and file system. Returns N.
    std::uint32_t addCdRom(DeviceInfo info, bool withLetter, wchar_t& letter);
    // The mount manager's late letter for a device: the first free one from D: on. 0 when none
    // is free or the device is gone.
    wchar_t giveLetter(const std::wstring& ntName);
    // The device goes away, and with it every definition of a DOS name that links to it.
    void removeDevice(const std::wstring& ntName);

private:
    struct Link {
        std::wstring name;
        std::vector<std::wstring> targets;  // the current definition first
    };

    Link* findLink(const std::wstring& name);
    const Link* findLink(const std::wstring& name) const;
    const DeviceInfo* findDevice(const std::wstring& ntName) const;
    void push(const std::wstring& name, const std::wstring& target);
    std::optional<DeviceInfo> resolve(const std::wstring& target, int depth) const;
    DriveFolders letterFoldersLocked() const;
    wchar_t giveFreeLetterLocked(const std::wstring& ntName);

    mutable std::mutex mutex_;
    std::vector<DeviceInfo> devices_;
    std::vector<Link> links_;  // in the order they were first defined
};

}  // namespace halvora::sim
