// VirtDisk.dll of System32, loaded by full path for as long as the library object lives and
// freed with it. Nothing links against it at build time, so the program starts where it is
// missing; a function the DLL lacks fails its calls with ERROR_PROC_NOT_FOUND.

#include <windows.h>

#if __has_include(<virtdisk.h>)
#include <virtdisk.h>
#else
// The published layouts, for headers that lack virtdisk.h. Version 2 of the open parameters is
// part of the union on Windows 8 and later, so it counts in the record's size.
typedef struct _VIRTUAL_STORAGE_TYPE {
    ULONG DeviceId;
    GUID VendorId;
} VIRTUAL_STORAGE_TYPE, *PVIRTUAL_STORAGE_TYPE;
typedef struct _OPEN_VIRTUAL_DISK_PARAMETERS {
    DWORD Version;
    union {
        struct {
            ULONG RWDepth;
        } Version1;
        struct {
            BOOL GetInfoOnly;
            BOOL ReadOnly;
            GUID ResiliencyGuid;
        } Version2;
    };
} OPEN_VIRTUAL_DISK_PARAMETERS, *POPEN_VIRTUAL_DISK_PARAMETERS;
typedef struct _ATTACH_VIRTUAL_DISK_PARAMETERS {
    DWORD Version;
    union {
        struct {
            ULONG Reserved;
        } Version1;
    };
} ATTACH_VIRTUAL_DISK_PARAMETERS, *PATTACH_VIRTUAL_DISK_PARAMETERS;
#endif

#include <cstdint>
#include <cstring>
#include <tuple>
#include <set>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

static_assert(sizeof(VIRTUAL_STORAGE_TYPE) == 20);
static_assert(sizeof(ATTACH_VIRTUAL_DISK_PARAMETERS) == 8);
static_assert(sizeof(OPEN_VIRTUAL_DISK_PARAMETERS) == 28);
static_assert(sizeof(GUID) == std::tuple_size_v<decltype(VirtualStorageType::vendorId)>);

// The documented signatures. The records are passed as opaque pointers so that the same types
// serve whichever header declared them.
using OpenVirtualDiskFn = DWORD(WINAPI*)(PVIRTUAL_STORAGE_TYPE, PCWSTR, DWORD, DWORD, POPEN_VIRTUAL_DISK_PARAMETERS,
                                         PHANDLE);
using AttachVirtualDiskFn = DWORD(WINAPI*)(HANDLE, PSECURITY_DESCRIPTOR, DWORD, ULONG, PATTACH_VIRTUAL_DISK_PARAMETERS,
                                           LPOVERLAPPED);
using DetachVirtualDiskFn = DWORD(WINAPI*)(HANDLE, DWORD, ULONG);
using GetVirtualDiskPhysicalPathFn = DWORD(WINAPI*)(HANDLE, PULONG, PWSTR);

HANDLE toHandle(VirtualDiskHandle handle) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)); }
VirtualDiskHandle fromHandle(HANDLE handle) {
    return static_cast<VirtualDiskHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

class Win32VirtualDisks final : public VirtualDiskLibrary {
public:
    explicit Win32VirtualDisks(UniqueModule module) : module_(std::move(module)) {
        open_ = procAddress<OpenVirtualDiskFn>(module_.get(), "OpenVirtualDisk");
        attach_ = procAddress<AttachVirtualDiskFn>(module_.get(), "AttachVirtualDisk");
        detach_ = procAddress<DetachVirtualDiskFn>(module_.get(), "DetachVirtualDisk");
        physicalPath_ = procAddress<GetVirtualDiskPhysicalPathFn>(module_.get(), "GetVirtualDiskPhysicalPath");
    }

    // Handles the caller left open are closed before the DLL that made them goes away.
    ~Win32VirtualDisks() override {
        for (VirtualDiskHandle handle : openHandles_) CloseHandle(toHandle(handle));
    }

    Win32VirtualDisks(const Win32VirtualDisks&) = delete;
    Win32VirtualDisks& operator=(const Win32VirtualDisks&) = delete;

    std::uint32_t openVirtualDisk(const VirtualStorageType& type, const std::wstring& path, std::uint32_t accessMask,
                                  std::uint32_t flags, const OpenVirtualDiskParameters& parameters,
                                  VirtualDiskHandle& handle) override {
        handle = 0;
        if (!open_) return ERROR_PROC_NOT_FOUND;
        VIRTUAL_STORAGE_TYPE storage{};
        storage.DeviceId = type.deviceId;
        std::memcpy(&storage.VendorId, type.vendorId.data(), sizeof storage.VendorId);
        OPEN_VIRTUAL_DISK_PARAMETERS openParameters{};
        openParameters.Version = static_cast<decltype(openParameters.Version)>(parameters.version);
        openParameters.Version1.RWDepth = parameters.rwDepth;
        HANDLE opened = nullptr;
        const DWORD error = open_(&storage, path.c_str(), static_cast<DWORD>(accessMask), static_cast<DWORD>(flags),
                                  &openParameters, &opened);
        // On failure the out value is not the DLL's to define: whatever it left there is no handle.
        if (error != ERROR_SUCCESS) return error;
        if (opened == nullptr || opened == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
        handle = fromHandle(opened);
        openHandles_.insert(handle);
        return ERROR_SUCCESS;
    }

    std::uint32_t attachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags, std::uint32_t providerFlags,
                                    const AttachVirtualDiskParameters& parameters) override {
        if (!attach_) return ERROR_PROC_NOT_FOUND;
        if (!isOpen(handle)) return ERROR_INVALID_HANDLE;
        ATTACH_VIRTUAL_DISK_PARAMETERS attachParameters{};
        attachParameters.Version = static_cast<decltype(attachParameters.Version)>(parameters.version);
        attachParameters.Version1.Reserved = parameters.reserved;
        return attach_(toHandle(handle), nullptr, static_cast<DWORD>(flags), static_cast<ULONG>(providerFlags),
                       &attachParameters, nullptr);
    }

    std::uint32_t detachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags,
                                    std::uint32_t providerFlags) override {
        if (!detach_) return ERROR_PROC_NOT_FOUND;
        if (!isOpen(handle)) return ERROR_INVALID_HANDLE;
        return detach_(toHandle(handle), static_cast<DWORD>(flags), static_cast<ULONG>(providerFlags));
    }

    std::uint32_t getPhysicalPath(VirtualDiskHandle handle, std::wstring& path) override {
        if (!physicalPath_) return ERROR_PROC_NOT_FOUND;
        if (!isOpen(handle)) return ERROR_INVALID_HANDLE;
        // The size is in bytes, in and out.
        ULONG size = static_cast<ULONG>(path.size() * sizeof(wchar_t));
        return physicalPath_(toHandle(handle), &size, path.data());
    }

    void closeHandle(VirtualDiskHandle handle) override {
        if (openHandles_.erase(handle) != 0) CloseHandle(toHandle(handle));
    }

private:
    // Only handles this object opened reach the DLL: a failed open leaves 0, and a call on it
    // fails here instead of inside a DLL that may not check it (Wine's stubs end the process).
    bool isOpen(VirtualDiskHandle handle) const { return openHandles_.count(handle) != 0; }

    UniqueModule module_;
    OpenVirtualDiskFn open_ = nullptr;
    AttachVirtualDiskFn attach_ = nullptr;
    DetachVirtualDiskFn detach_ = nullptr;
    GetVirtualDiskPhysicalPathFn physicalPath_ = nullptr;
    std::set<VirtualDiskHandle> openHandles_;
};

}  // namespace

std::unique_ptr<VirtualDiskLibrary> openVirtualDiskLibrary() {
    UniqueModule module = loadSystemLibrary(L"VirtDisk.dll");
    if (!module) return nullptr;
    return std::make_unique<Win32VirtualDisks>(std::move(module));
}

}  // namespace halvora::win32
