#pragma once
// The platform's virtual-disk library (VirtDisk.dll) as the program calls it to attach ISO
// files: the four calls with their records, flags and results. Each call returns the platform's
// error code (0 is success), as VirtDisk.dll does. The win32 backend loads the library by its
// full System32 path for as long as the object lives; the sim attaches ISOs as CD-ROM drives.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace halvora {

// VIRTUAL_STORAGE_TYPE
struct VirtualStorageType {
    std::uint32_t deviceId = 0;               // 1 VIRTUAL_STORAGE_TYPE_DEVICE_ISO
    std::array<std::uint8_t, 16> vendorId{};  // a GUID in its memory layout
};

inline constexpr std::uint32_t kVirtualStorageTypeIso = 1;
// VIRTUAL_STORAGE_TYPE_VENDOR_MICROSOFT {EC984AEC-A0F9-47E9-901F-71415A66345B}, as laid out in memory.
inline constexpr std::array<std::uint8_t, 16> kVirtualStorageVendorMicrosoft = {
    0xEC, 0x4A, 0x98, 0xEC, 0xF9, 0xA0, 0xE9, 0x47, 0x90, 0x1F, 0x71, 0x41, 0x5A, 0x66, 0x34, 0x5B};

// OpenVirtualDisk's access mask and the attach flags the program uses.
inline constexpr std::uint32_t kVirtualDiskAccessAttachRo = 0x10000;
inline constexpr std::uint32_t kVirtualDiskAccessDetach = 0x40000;
inline constexpr std::uint32_t kVirtualDiskAccessGetInfo = 0x80000;
inline constexpr std::uint32_t kAttachVirtualDiskReadOnly = 0x1;
inline constexpr std::uint32_t kAttachVirtualDiskPermanentLifetime = 0x4;

// OPEN_VIRTUAL_DISK_PARAMETERS version 1 and ATTACH_VIRTUAL_DISK_PARAMETERS version 1.
struct OpenVirtualDiskParameters {
    std::uint32_t version = 1;
    std::uint32_t rwDepth = 0;
};
struct AttachVirtualDiskParameters {
    std::uint32_t version = 1;
    std::uint32_t reserved = 0;
};

using VirtualDiskHandle = std::uint64_t;  // 0: none

class VirtualDiskLibrary {
public:
    virtual ~VirtualDiskLibrary() = default;
    virtual std::uint32_t openVirtualDisk(const VirtualStorageType& type, const std::wstring& path,
                                          std::uint32_t accessMask, std::uint32_t flags,
                                          const OpenVirtualDiskParameters& parameters, VirtualDiskHandle& handle) = 0;
    // No security descriptor and no OVERLAPPED: the call completes before it returns.
    virtual std::uint32_t attachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags, std::uint32_t providerFlags,
                                            const AttachVirtualDiskParameters& parameters) = 0;
    virtual std::uint32_t detachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags,
                                            std::uint32_t providerFlags) = 0;
    // GetVirtualDiskPhysicalPath into `path`, whose size is the buffer in characters (the call
    // is given its size in bytes); the text is NUL-terminated within it ("\\.\CDROM1").
    virtual std::uint32_t getPhysicalPath(VirtualDiskHandle handle, std::wstring& path) = 0;
    virtual void closeHandle(VirtualDiskHandle handle) = 0;  // CloseHandle
};

}  // namespace halvora
