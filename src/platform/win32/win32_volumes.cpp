// The volume calls of Windows, each passed on as it is: the same arguments, the platform's own
// records and error codes. What the answers mean is decided above the boundary.
#include "platform/win32/win32_volumes.hpp"

#include <windows.h>

#include <cstddef>
#include <cwchar>

#include "platform/win32/win32_handles.hpp"

namespace {

// The records are decoded above the boundary by byte offsets; they must be the SDK's.
using namespace halvora;
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == kDeviceNumberSize);
static_assert(offsetof(STORAGE_DEVICE_NUMBER, DeviceType) == record::kDeviceType);
static_assert(offsetof(STORAGE_DEVICE_NUMBER, DeviceNumber) == record::kDeviceNumber);
static_assert(offsetof(STORAGE_DEVICE_NUMBER, PartitionNumber) == record::kDevicePartitionNumber);
static_assert(sizeof(PARTITION_INFORMATION_EX) == kPartitionInfoSize);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionStyle) == record::kPartitionStyle);
static_assert(offsetof(PARTITION_INFORMATION_EX, StartingOffset) == record::kStartingOffset);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionLength) == record::kPartitionLength);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionNumber) == record::kPartitionNumber);
static_assert(offsetof(PARTITION_INFORMATION_EX, RewritePartition) == record::kRewritePartition);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) + offsetof(PARTITION_INFORMATION_MBR, PartitionType) ==
              record::kMbrPartitionType);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) + offsetof(PARTITION_INFORMATION_MBR, BootIndicator) ==
              record::kMbrBootIndicator);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) + offsetof(PARTITION_INFORMATION_MBR, RecognizedPartition) ==
              record::kMbrRecognizedPartition);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) + offsetof(PARTITION_INFORMATION_MBR, HiddenSectors) ==
              record::kMbrHiddenSectors);
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) + offsetof(PARTITION_INFORMATION_GPT, PartitionType) ==
              record::kGptPartitionType);
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) + offsetof(PARTITION_INFORMATION_GPT, PartitionId) ==
              record::kGptPartitionId);
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) + offsetof(PARTITION_INFORMATION_GPT, Attributes) ==
              record::kGptAttributes);
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) + offsetof(PARTITION_INFORMATION_GPT, Name) == record::kGptName);
static_assert(sizeof(PARTITION_INFORMATION_GPT::Name) / sizeof(WCHAR) == record::kGptNameCharacters);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, Version) == record::kDescriptorVersion);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, Size) == record::kDescriptorSize);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, DeviceType) == record::kDescriptorDeviceType);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia) == record::kDescriptorRemovableMedia);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == record::kVendorIdOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset) == record::kProductIdOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == record::kBusType);
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == record::kDescriptorFixedSize);

}  // namespace

namespace halvora::win32 {

namespace {

class Win32VolumeHandle final : public VolumeHandle {
public:
    explicit Win32VolumeHandle(UniqueKernelHandle handle) : handle_(std::move(handle)) {}

    bool deviceIoControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                         std::uint32_t& bytesReturned, std::uint32_t& lastError) override {
        DWORD returned = 0;
        // The input buffer is only read; the signature predates const.
        const BOOL ok =
            DeviceIoControl(handle_.get(), code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr);
        bytesReturned = returned;
        lastError = ok ? ERROR_SUCCESS : GetLastError();
        return ok != FALSE;
    }

private:
    UniqueKernelHandle handle_;
};

// A text that the call wrote into a fixed buffer, up to its first NUL.
std::wstring terminatedText(const wchar_t* buffer, std::size_t capacity) {
    return std::wstring(buffer, wcsnlen(buffer, capacity));
}

class Win32Volumes final : public Volumes {
public:
    std::unique_ptr<VolumeHandle> openVolume(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                                             std::uint32_t flags, std::uint32_t& lastError) override {
        UniqueKernelHandle handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
        if (!handle) {
            lastError = GetLastError();
            return nullptr;
        }
        lastError = ERROR_SUCCESS;
        return std::make_unique<Win32VolumeHandle>(std::move(handle));
    }

    std::uint32_t queryDosDevice(const std::optional<std::wstring>& name, std::wstring& buffer,
                                 std::uint32_t& lastError) override {
        // A call that succeeds leaves the last error as it was, so it is cleared first: a caller
        // that grows its buffer on 122 must not see a stale 122 from an earlier call.
        SetLastError(ERROR_SUCCESS);
        const DWORD stored =
            QueryDosDeviceW(name ? name->c_str() : nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        lastError = stored == 0 ? GetLastError() : ERROR_SUCCESS;
        return stored;
    }

    bool defineDosDevice(std::uint32_t flags, const std::wstring& name, const std::wstring& target,
                         std::uint32_t& lastError) override {
        // No target is how a removal asks for the most recent definition of the name.
        const BOOL ok = DefineDosDeviceW(flags, name.c_str(), target.empty() ? nullptr : target.c_str());
        lastError = ok ? ERROR_SUCCESS : GetLastError();
        return ok != FALSE;
    }

    std::uint32_t logicalDrives() override { return GetLogicalDrives(); }

    std::uint32_t logicalDriveStrings(std::wstring& buffer) override {
        return GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    }

    std::uint32_t driveType(const std::wstring& root) override { return GetDriveTypeW(root.c_str()); }

    bool volumeInformation(const std::wstring& root, VolumeInformation& information) override {
        wchar_t label[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0;
        DWORD componentLength = 0;
        DWORD fileSystemFlags = 0;
        if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &serial, &componentLength, &fileSystemFlags,
                                   fileSystem, MAX_PATH + 1)) {
            return false;
        }
        information.label = terminatedText(label, MAX_PATH + 1);
        information.fileSystem = terminatedText(fileSystem, MAX_PATH + 1);
        information.serialNumber = serial;
        information.maximumComponentLength = componentLength;
        information.fileSystemFlags = fileSystemFlags;
        return true;
    }

    bool diskFreeSpace(const std::wstring& path, DiskSpace& space) override {
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER free{};
        if (!GetDiskFreeSpaceExW(path.c_str(), &available, &total, &free)) return false;
        space.freeBytesAvailableToCaller = available.QuadPart;
        space.totalBytes = total.QuadPart;
        space.totalFreeBytes = free.QuadPart;
        return true;
    }
};

}  // namespace

std::unique_ptr<Volumes> openVolumes() { return std::make_unique<Win32Volumes>(); }

}  // namespace halvora::win32
