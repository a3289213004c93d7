// The win32 virtual-disk backend in the probe's own process, against Wine's virtdisk.dll. Wine's
// OpenVirtualDisk is a placeholder that answers with an error code, and its AttachVirtualDisk and
// GetVirtualDiskPhysicalPath are stubs that end the process when they are called. So what is
// checked here is the glue: the library loads from System32 and is freed with its object, the
// open on a real ISO returns an error as a value and no handle, and the calls that would follow
// a failed open never reach the DLL. Each answer is one "VIRTDISK <what> ..." line for the script.

#include <windows.h>

#include <string>

#include "platform/win32/win32_system.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

using halvora::VirtualDiskHandle;

constexpr std::uint32_t kReadAccess =
    halvora::kVirtualDiskAccessAttachRo | halvora::kVirtualDiskAccessDetach | halvora::kVirtualDiskAccessGetInfo;
constexpr halvora::VirtualStorageType kIsoType{halvora::kVirtualStorageTypeIso,
                                               halvora::kVirtualStorageVendorMicrosoft};

bool moduleLoaded() { return GetModuleHandleW(L"VirtDisk.dll") != nullptr; }

}  // namespace

int checkVirtualDisks(const std::wstring& isoPath) {
    halvora::win32::Win32System system;
    check(system.fileSize(isoPath) > 0, "the test's ISO file is there", utf8(isoPath));
    check(!moduleLoaded(), "VirtDisk.dll is not loaded before the library is asked for");
    {
        auto library = system.loadVirtualDiskLibrary();
        say(std::string("VIRTDISK loaded ") + (library ? "yes" : "no"));
        if (!library) return failures;
        check(moduleLoaded(), "VirtDisk.dll is loaded while the library object lives");

        VirtualDiskHandle handle = 0x1234;
        const std::uint32_t open = library->openVirtualDisk(kIsoType, isoPath, kReadAccess, 0, {}, handle);
        say("VIRTDISK open " + std::to_string(open) + " handle=" + std::to_string(handle));
        VirtualDiskHandle missingHandle = 0x1234;
        const std::uint32_t missing =
            library->openVirtualDisk(kIsoType, system.tempPath() + L"no such.iso", kReadAccess, 0, {}, missingHandle);
        say("VIRTDISK open-missing " + std::to_string(missing) + " handle=" + std::to_string(missingHandle));

        if (open != 0) {
            // What the program does after a failed open, on the handle it got: these must be
            // refused before Wine's stubs are reached, or the process ends here.
            std::wstring buffer(260, L' ');
            say("VIRTDISK physical-path-after-failed-open " + std::to_string(library->getPhysicalPath(handle, buffer)) +
                (buffer == std::wstring(260, L' ') ? " untouched" : " written"));
            say("VIRTDISK detach-after-failed-open " + std::to_string(library->detachVirtualDisk(handle, 0, 0)));
            say("VIRTDISK attach-after-failed-open " + std::to_string(library->attachVirtualDisk(handle, 5, 0, {})));
        }
        library->closeHandle(handle);
    }
    check(!moduleLoaded(), "VirtDisk.dll is freed when the library object dies");
    say("VIRTDISK still-running yes");
    return failures;
}

}  // namespace probe
