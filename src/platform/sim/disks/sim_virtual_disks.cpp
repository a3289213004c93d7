#include "platform/sim/disks/sim_virtual_disks.hpp"

#include <algorithm>
#include <system_error>

#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAccessAttachRw = 0x20000;
constexpr std::uint32_t kAccessCreate = 0x100000;
constexpr std::uint32_t kAccessMetaOps = 0x200000;
constexpr std::uint32_t kAccessAll = 0x3F0000;
constexpr std::uint32_t kAccessWritable = kAccessAttachRw | kAccessCreate | kAccessMetaOps;
constexpr std::uint32_t kAttachNoDriveLetter = 0x2;
constexpr std::uint32_t kAttachNoLocalHost = 0x8;
constexpr std::uint32_t kAttachKnownFlags =
    kAttachVirtualDiskReadOnly | kAttachNoDriveLetter | kAttachVirtualDiskPermanentLifetime | kAttachNoLocalHost;

// The buffer's size in bytes as Windows counts it: a WCHAR is two bytes there, whatever the host's
// wchar_t is.
constexpr std::size_t kWcharBytes = 2;

std::wstring physicalPathOf(std::uint32_t number) { return L"\\\\.\\CDROM" + std::to_wstring(number); }

}  // namespace

bool virtualDiskLibraryPresent(const SimMachine& machine) {
    const auto& description = machine.description();
    if (!description.virtDisk) return false;
    const auto host = machine.hostPath(description.systemDirectory + L"\\VirtDisk.dll");
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec) && fs::file_size(*host, ec) > 0 && !ec;
}

SimVirtualDisks::SimVirtualDisks(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

SimVirtualDisks::~SimVirtualDisks() {
    std::lock_guard lock(mutex_);
    for (const auto& [handle, disk] : handles_) close(disk);
    machine_->record(L"FreeLibrary VirtDisk.dll");
}

std::uint32_t SimVirtualDisks::logged(const std::wstring& call, std::uint32_t error) {
    machine_->record(error ? call + L" -> error " + std::to_wstring(error) : call);
    return error;
}

std::uint32_t SimVirtualDisks::openVirtualDisk(const VirtualStorageType& type, const std::wstring& path,
                                               std::uint32_t accessMask, std::uint32_t flags,
                                               const OpenVirtualDiskParameters& parameters, VirtualDiskHandle& handle) {
    handle = 0;
    const std::wstring call = L"OpenVirtualDisk " + std::to_wstring(type.deviceId) + L" " + path + L" " +
                              hexText(accessMask) + L" " + hexText(flags) + L" " + std::to_wstring(parameters.version);
    if (const std::uint32_t error = machine_->enterCall("OpenVirtualDisk")) return logged(call, error);
    // Only the ISO provider is on the machine, and an ISO is opened for reading only.
    if (type.deviceId != kVirtualStorageTypeIso || type.vendorId != kVirtualStorageVendorMicrosoft ||
        (accessMask & ~kAccessAll) != 0 || flags != 0 || parameters.version != 1) {
        return logged(call, kErrorInvalidParameter);
    }
    if (accessMask & kAccessWritable) return logged(call, kErrorAccessDenied);
    const auto host = machine_->hostPath(path);
    if (!host) return logged(call, kErrorPathNotFound);
    std::error_code ec;
    if (fs::is_directory(*host, ec)) return logged(call, kErrorAccessDenied);
    if (!fs::is_regular_file(*host, ec)) {
        return logged(call, fs::is_directory(host->parent_path(), ec) ? kErrorFileNotFound : kErrorPathNotFound);
    }
    std::lock_guard lock(mutex_);
    handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = OpenDisk{path, *host, accessMask, false, machine_->openFiles().open(*host)};
    return logged(call + L" -> " + hexText(static_cast<std::uint32_t>(handle)), 0);
}

std::uint32_t SimVirtualDisks::attachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags,
                                                 std::uint32_t providerFlags,
                                                 const AttachVirtualDiskParameters& parameters) {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    std::wstring call = L"AttachVirtualDisk " +
                        (it == handles_.end() ? hexText(static_cast<std::uint32_t>(handle)) : it->second.path) + L" " +
                        hexText(flags) + L" " + hexText(providerFlags);
    if (const std::uint32_t error = machine_->enterCall("AttachVirtualDisk")) return logged(call, error);
    if (it == handles_.end()) return logged(call, kErrorInvalidHandle);
    if (!(it->second.access & kVirtualDiskAccessAttachRo)) return logged(call, kErrorAccessDenied);
    // A disc image attaches read-only or not at all.
    if ((flags & ~kAttachKnownFlags) != 0 || !(flags & kAttachVirtualDiskReadOnly) || parameters.version != 1) {
        return logged(call, kErrorInvalidParameter);
    }
    const bool withLetter = (flags & kAttachNoDriveLetter) == 0;
    const std::uint64_t letterDelay = machine_->description().isoLetterDelay;
    const std::uint32_t error = machine_->attachedDiscs().attach(it->second.host, withLetter && letterDelay == 0);
    if (error == 0 && !(flags & kAttachVirtualDiskPermanentLifetime)) it->second.ownsAttachment = true;
    if (error == 0 && withLetter && letterDelay > 0) {
        // The mount manager gives the volume its letter a moment after the attach returns.
        const auto number = machine_->attachedDiscs().deviceNumber(it->second.host);
        SimMachine* machine = machine_.get();  // the action belongs to the machine and goes with it
        if (number) {
            machine_->atVirtualTime(machine_->virtualNow() + letterDelay, [machine, device = *number] {
                machine->devices().giveLetter(L"\\Device\\CdRom" + std::to_wstring(device));
            });
        }
    }
    return logged(call, error);
}

std::uint32_t SimVirtualDisks::detachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags,
                                                 std::uint32_t providerFlags) {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    const std::wstring call = L"DetachVirtualDisk " +
                              (it == handles_.end() ? hexText(static_cast<std::uint32_t>(handle)) : it->second.path) +
                              L" " + hexText(flags) + L" " + hexText(providerFlags);
    if (const std::uint32_t error = machine_->enterCall("DetachVirtualDisk")) return logged(call, error);
    if (it == handles_.end()) return logged(call, kErrorInvalidHandle);
    if (!(it->second.access & kVirtualDiskAccessDetach)) return logged(call, kErrorAccessDenied);
    if (flags != 0) return logged(call, kErrorInvalidParameter);
    it->second.ownsAttachment = false;
    return logged(call, machine_->attachedDiscs().detach(it->second.host));
}

std::uint32_t SimVirtualDisks::getPhysicalPath(VirtualDiskHandle handle, std::wstring& path) {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    const std::wstring call = L"GetVirtualDiskPhysicalPath " +
                              (it == handles_.end() ? hexText(static_cast<std::uint32_t>(handle)) : it->second.path) +
                              L" " + std::to_wstring(path.size() * kWcharBytes);
    if (const std::uint32_t error = machine_->enterCall("GetVirtualDiskPhysicalPath")) return logged(call, error);
    if (it == handles_.end()) return logged(call, kErrorInvalidHandle);
    if (!(it->second.access & kVirtualDiskAccessGetInfo)) return logged(call, kErrorAccessDenied);
    const auto number = machine_->attachedDiscs().deviceNumber(it->second.host);
    if (!number) return logged(call, kErrorDevNotExist);
    const std::wstring text = physicalPathOf(*number);
    if (text.size() + 1 > path.size()) return logged(call, kErrorInsufficientBuffer);
    // The text and its NUL; the rest of the caller's buffer is left as it was.
    std::copy(text.begin(), text.end(), path.begin());
    path[text.size()] = L'\0';
    return logged(call + L" -> " + text, 0);
}

void SimVirtualDisks::closeHandle(VirtualDiskHandle handle) {
    machine_->enterCall("CloseHandle");
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    if (it == handles_.end()) {
        logged(L"CloseHandle " + hexText(static_cast<std::uint32_t>(handle)), kErrorInvalidHandle);
        return;
    }
    close(it->second);
    handles_.erase(it);
}

void SimVirtualDisks::close(const OpenDisk& disk) {
    machine_->record(L"CloseHandle " + disk.path);
    // Without a permanent lifetime the disc goes with the handle that attached it.
    if (disk.ownsAttachment)
        logged(L"DetachVirtualDisk " + disk.path + L" (handle closed)", machine_->attachedDiscs().detach(disk.host));
}

}  // namespace halvora::sim
