#include "images/iso_mount.hpp"

#include "disks/drive_enumeration.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr std::size_t kPhysicalPathCharacters = 260;
constexpr std::uint32_t kDetachSettle = 50;
// The mount manager gives an attached disc its letter a moment after the attach returns.
constexpr int kLetterPollMs = 100;
constexpr int kLetterWaitMs = 10000;

// The drive root of `device` once it has a letter; empty when none came within the wait. The
// window keeps answering meanwhile.
std::wstring waitForDriveLetter(Program& program, const std::wstring& device) {
    std::wstring root = driveRootOfDevice(program.system, device);
    for (int waited = 0; root.empty() && waited < kLetterWaitMs; waited += kLetterPollMs) {
        program.ui.keepAnsweringFor(kLetterPollMs);
        root = driveRootOfDevice(program.system, device);
    }
    return root;
}

// The physical path as the library wrote it into a fixed buffer.
std::wstring pathFromBuffer(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\0')) text.pop_back();
    return text;
}

}  // namespace

std::wstring virtualDiskOp(Program& program, const std::wstring& isoPath, int mode) {
    const auto library = program.system.loadVirtualDiskLibrary();
    if (!library) return L"";
    const VirtualStorageType type{kVirtualStorageTypeIso, kVirtualStorageVendorMicrosoft};
    VirtualDiskHandle handle = 0;
    const std::uint32_t access = kVirtualDiskAccessAttachRo | kVirtualDiskAccessDetach | kVirtualDiskAccessGetInfo;
    library->openVirtualDisk(type, isoPath, access, 0, OpenVirtualDiskParameters{}, handle);
    if (handle == 0) return L"";
    // An ISO attached before (by this program or another) fails to attach again unnoticed; its
    // physical path is what counts.
    if (mode == kAttachIso) {
        library->attachVirtualDisk(handle, kAttachVirtualDiskReadOnly | kAttachVirtualDiskPermanentLifetime, 0,
                                   AttachVirtualDiskParameters{});
    } else if (mode == kDetachIso) {
        library->detachVirtualDisk(handle, 0, 0);
    }
    std::wstring physical(kPhysicalPathCharacters, L' ');
    const bool read = library->getPhysicalPath(handle, physical) == 0;
    library->closeHandle(handle);
    if (!read) return L"";
    const std::size_t end = physical.find(L'\0');
    if (end != std::wstring::npos) physical.resize(end);
    return pathFromBuffer(physical);
}

std::wstring mountIso(Program& program, const std::wstring& isoPath) {
    System& sys = program.system;
    AppState& s = program.state;
    if (sys.fileSize(isoPath) < 0) {
        showStatus(program, L"ISO 파일 경로가 잘못 되었습니다. " + isoPath);
        return L"";
    }
    for (const IsoSlot& slot : s.IsoSlots) {
        if (!slot.IsoPath.empty() && slot.IsoPath == isoPath) return driveRootOfDevice(sys, slot.DevicePath);
    }
    const std::wstring imageFile = program.ui.text(controls::ImageFileEdit);
    const bool chosenFromSlot0 = imageFile.size() > 2 && !s.IsoSlots[0].DevicePath.empty() &&
                                 volumeDevicePath(sys, imageFile.substr(0, 2)) == s.IsoSlots[0].DevicePath;
    IsoSlot& slot = s.IsoSlots[chosenFromSlot0 ? 1 : 0];
    if (!slot.IsoPath.empty() && sys.fileSize(slot.IsoPath) >= 0) {
        const std::wstring root = driveRootOfDevice(sys, slot.DevicePath);
        if (!root.empty() && sys.folderExists(root)) {
            virtualDiskOp(program, slot.IsoPath, kDetachIso);
            sys.sleep(kDetachSettle);
        }
    }
    showStatus(program, L"ISO : " + isoPath);
    const std::wstring physical = virtualDiskOp(program, isoPath, kAttachIso);
    if (physical.size() < 2) return L"";
    const std::wstring device = volumeDevicePath(sys, physical);
    const std::wstring root = waitForDriveLetter(program, device).substr(0, 3);
    if (root.empty()) {
        // Without a letter the disc is of no use to anyone: it goes again, and the slot stays
        // as it was.
        virtualDiskOp(program, isoPath, kDetachIso);
        showStatus(program, kIsoWithoutLetterText + isoPath);
        return L"";
    }
    slot.DevicePath = device;
    slot.IsoPath = isoPath;
    showStatus(program, L"ISO 탑재: " + root + L" " + isoPath);
    return root;
}

void releaseIsos(Program& program) {
    for (const IsoSlot& slot : program.state.IsoSlots) {
        if (!slot.IsoPath.empty()) virtualDiskOp(program, slot.IsoPath, kDetachIso);
    }
}

}  // namespace halvora
