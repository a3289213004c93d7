// TEMPORARY: every volume call fails until the Windows calls land in this same piece of work.
#include "platform/win32/win32_volumes.hpp"

namespace halvora::win32 {

namespace {

constexpr std::uint32_t kNotImplemented = 120;

class Win32Volumes final : public Volumes {
public:
    std::unique_ptr<VolumeHandle> openVolume(const std::wstring&, std::uint32_t, std::uint32_t, std::uint32_t,
                                             std::uint32_t& lastError) override {
        lastError = kNotImplemented;
        return nullptr;
    }
    std::uint32_t queryDosDevice(const std::optional<std::wstring>&, std::wstring&, std::uint32_t& lastError) override {
        lastError = kNotImplemented;
        return 0;
    }
    bool defineDosDevice(std::uint32_t, const std::wstring&, const std::wstring&, std::uint32_t& lastError) override {
        lastError = kNotImplemented;
        return false;
    }
    std::uint32_t logicalDrives() override { return 0; }
    std::uint32_t logicalDriveStrings(std::wstring&) override { return 0; }
    std::uint32_t driveType(const std::wstring&) override { return kDriveNoRootDir; }
    bool volumeInformation(const std::wstring&, VolumeInformation&) override { return false; }
    bool diskFreeSpace(const std::wstring&, DiskSpace&) override { return false; }
};

}  // namespace

std::unique_ptr<Volumes> openVolumes() { return std::make_unique<Win32Volumes>(); }

}  // namespace halvora::win32
