#pragma once
// Volumes and the DOS-device name space as the program asks Windows about them: the calls of the
// same names, with their arguments and results. The records that DeviceIoControl fills are
// handed over as the platform lays them out and decoded above the boundary.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace halvora {

// DeviceIoControl codes and the sizes of the records the program asks for.
inline constexpr std::uint32_t kIoctlStorageGetDeviceNumber = 0x2D1080;
inline constexpr std::uint32_t kIoctlDiskGetPartitionInfoEx = 0x70048;
inline constexpr std::uint32_t kIoctlStorageQueryProperty = 0x2D1400;
inline constexpr std::uint32_t kDeviceNumberSize = 12;        // STORAGE_DEVICE_NUMBER
inline constexpr std::uint32_t kPartitionInfoSize = 144;      // PARTITION_INFORMATION_EX
inline constexpr std::uint32_t kDeviceDescriptorSize = 1064;  // STORAGE_DEVICE_DESCRIPTOR and its texts
inline constexpr std::uint32_t kPropertyQuerySize = 12;       // STORAGE_PROPERTY_QUERY

// Where the fields the program reads lie in those records, in bytes, as Windows lays them out
// for x64. The program decodes with them, the sim encodes with them, and the win32 backend
// checks them against the SDK's structures.
namespace record {
// STORAGE_DEVICE_NUMBER
inline constexpr std::size_t kDeviceType = 0;
inline constexpr std::size_t kDeviceNumber = 4;
inline constexpr std::size_t kDevicePartitionNumber = 8;
// PARTITION_INFORMATION_EX, then its MBR or GPT part
inline constexpr std::size_t kPartitionStyle = 0;
inline constexpr std::size_t kStartingOffset = 8;
inline constexpr std::size_t kPartitionLength = 16;
inline constexpr std::size_t kPartitionNumber = 24;
inline constexpr std::size_t kRewritePartition = 28;
inline constexpr std::size_t kMbrPartitionType = 32;
inline constexpr std::size_t kMbrBootIndicator = 33;
inline constexpr std::size_t kMbrRecognizedPartition = 34;
inline constexpr std::size_t kMbrHiddenSectors = 36;
inline constexpr std::size_t kMbrPartitionId = 40;  // Windows 10 and later
inline constexpr std::size_t kGptPartitionType = 32;
inline constexpr std::size_t kGptPartitionId = 48;
inline constexpr std::size_t kGptAttributes = 64;
inline constexpr std::size_t kGptName = 72;
inline constexpr std::size_t kGptNameCharacters = 36;
// STORAGE_DEVICE_DESCRIPTOR
inline constexpr std::size_t kDescriptorVersion = 0;
inline constexpr std::size_t kDescriptorSize = 4;
inline constexpr std::size_t kDescriptorDeviceType = 8;
inline constexpr std::size_t kDescriptorRemovableMedia = 10;
inline constexpr std::size_t kVendorIdOffset = 12;
inline constexpr std::size_t kProductIdOffset = 16;
inline constexpr std::size_t kBusType = 28;
inline constexpr std::size_t kDescriptorFixedSize = 40;  // sizeof(STORAGE_DEVICE_DESCRIPTOR), padded
}  // namespace record

inline constexpr std::uint32_t kFileShareReadWrite = 3;

// DefineDosDeviceW flags.
inline constexpr std::uint32_t kDddRawTargetPath = 0x1;
inline constexpr std::uint32_t kDddRemoveDefinition = 0x2;
inline constexpr std::uint32_t kDddExactMatchOnRemove = 0x4;

// GetDriveTypeW results.
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdRom = 5;
inline constexpr std::uint32_t kDriveRamDisk = 6;

// An open volume (CreateFileW on a volume path); closed when destroyed.
class VolumeHandle {
public:
    virtual ~VolumeHandle() = default;
    // DeviceIoControl. False with `lastError` set when the request fails.
    virtual bool deviceIoControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                                 std::uint32_t outSize, std::uint32_t& bytesReturned, std::uint32_t& lastError) = 0;
};

// What GetVolumeInformationW reports of a volume.
struct VolumeInformation {
    std::wstring label;
    std::wstring fileSystem;
    std::uint32_t serialNumber = 0;
    std::uint32_t maximumComponentLength = 0;
    std::uint32_t fileSystemFlags = 0;
};

// What GetDiskFreeSpaceExW reports.
struct DiskSpace {
    std::uint64_t freeBytesAvailableToCaller = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

class Volumes {
public:
    virtual ~Volumes() = default;

    // CreateFileW(path, access, share, no security, OPEN_EXISTING, flags, no template); null with
    // `lastError` set when it cannot be opened.
    virtual std::unique_ptr<VolumeHandle> openVolume(const std::wstring& path, std::uint32_t access,
                                                     std::uint32_t share, std::uint32_t flags,
                                                     std::uint32_t& lastError) = 0;
    // QueryDosDeviceW into `buffer`, whose size is the capacity in characters; nullopt `name`
    // asks for every name. Returns the characters stored (the names each followed by NUL, and a
    // final NUL), or 0 with `lastError` set (122 when the buffer is too small).
    virtual std::uint32_t queryDosDevice(const std::optional<std::wstring>& name, std::wstring& buffer,
                                         std::uint32_t& lastError) = 0;
    virtual bool defineDosDevice(std::uint32_t flags, const std::wstring& name, const std::wstring& target,
                                 std::uint32_t& lastError) = 0;
    virtual std::uint32_t logicalDrives() = 0;  // GetLogicalDrives: bit 0 is A:
    // GetLogicalDriveStringsW into `buffer` (its size is the capacity): "C:\", NUL, "D:\", NUL, ...
    // Returns the characters stored without the final NUL, or the size needed when it does not fit.
    virtual std::uint32_t logicalDriveStrings(std::wstring& buffer) = 0;
    virtual std::uint32_t driveType(const std::wstring& root) = 0;
    virtual bool volumeInformation(const std::wstring& root, VolumeInformation& information) = 0;
    virtual bool diskFreeSpace(const std::wstring& path, DiskSpace& space) = 0;
};

}  // namespace halvora
