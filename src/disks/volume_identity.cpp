#include "disks/volume_identity.hpp"

#include "base/text.hpp"

namespace halvora {

namespace {

// Opens the volume, makes one request into `out` and closes the volume again.
template <std::size_t N>
bool askVolume(System& system, const std::wstring& path, std::uint32_t code, const void* in, std::uint32_t inSize,
               std::array<std::uint8_t, N>& out) {
    out.fill(0);
    std::uint32_t error = 0;
    const auto volume = system.volumes().openVolume(normaliseVolumePath(path), 0, kFileShareReadWrite, 0, error);
    if (!volume) return false;
    std::uint32_t returned = 0;
    if (volume->deviceIoControl(code, in, inSize, out.data(), static_cast<std::uint32_t>(N), returned, error))
        return true;
    out.fill(0);
    return false;
}

}  // namespace

std::wstring normaliseVolumePath(const std::wstring& path) {
    std::wstring p = replaceAll(path, L":\\", L":");
    if (p.size() >= 2 && p[1] == L':') p = L"\\\\.\\" + p;
    // The prefix test ignores case, the replacement does not: "\device\" passes the test but
    // stays as written.
    if (p.size() >= 8 && equalsIgnoreCase(p.substr(0, 8), L"\\Device\\")) p = replaceAll(p, L"\\Device\\", L"\\\\.\\");
    return replaceAll(p, L"}\\", L"}");
}

bool getDeviceNumber(System& system, const std::wstring& path, DeviceNumber& number) {
    DeviceNumberBytes bytes{};
    const bool ok = askVolume(system, path, kIoctlStorageGetDeviceNumber, nullptr, 0, bytes);
    number = decodeDeviceNumber(bytes);
    return ok;
}

bool getPartitionInfo(System& system, const std::wstring& path, PartitionInfo& info) {
    PartitionInfoBytes bytes{};
    const bool ok = askVolume(system, path, kIoctlDiskGetPartitionInfoEx, nullptr, 0, bytes);
    info = decodePartitionInfo(bytes);
    return ok;
}

bool getDeviceDescriptor(System& system, const std::wstring& path, DeviceDescriptor& descriptor) {
    // StorageDeviceProperty, PropertyStandardQuery: a query of zeros.
    const std::array<std::uint8_t, kPropertyQuerySize> query{};
    DeviceDescriptorBytes bytes{};
    const bool ok = askVolume(system, path, kIoctlStorageQueryProperty, query.data(), kPropertyQuerySize, bytes);
    descriptor = decodeDeviceDescriptor(bytes);
    return ok;
}

}  // namespace halvora
