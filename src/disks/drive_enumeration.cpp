#include "disks/drive_enumeration.hpp"

#include "base/paths.hpp"
#include "base/text.hpp"
#include "disks/volume_identity.hpp"

namespace halvora {

namespace {

constexpr std::size_t kDriveStringsCharacters = 260;
constexpr std::size_t kDeviceListStep = 25600;
// A name space that still does not fit in this many characters is not read at all.
constexpr std::size_t kDeviceListLimit = 64 * kDeviceListStep;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;

// The NUL-terminated names in the first `count` characters of `buffer`.
std::vector<std::wstring> namesIn(const std::wstring& buffer, std::size_t count) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count && i < buffer.size(); ++i) {
        if (buffer[i] != L'\0') continue;
        if (i > start) names.push_back(buffer.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

bool onlyDigits(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

}  // namespace

std::vector<std::wstring> logicalDriveRoots(System& system) {
    std::wstring buffer(kDriveStringsCharacters, L'\0');
    const std::uint32_t length = system.volumes().logicalDriveStrings(buffer);
    // A list longer than the buffer comes back as the size it needs, not as drives.
    if (length >= buffer.size()) return {};
    std::vector<std::wstring> roots;
    for (std::size_t i = 0; i < length / 4; ++i) roots.push_back(buffer.substr(4 * i, 3));
    return roots;
}

bool hasDriveLetter(System& system, std::uint32_t disk, std::uint32_t partition) {
    for (const std::wstring& root : logicalDriveRoots(system)) {
        DeviceNumber number;
        if (getDeviceNumber(system, L"\\\\.\\" + root, number) && number.DeviceNumber == disk &&
            number.PartitionNumber == partition) {
            return true;
        }
    }
    return false;
}

std::wstring findFreeDriveLetter(System& system) {
    const std::uint32_t used = system.volumes().logicalDrives();
    for (wchar_t letter = L'P'; letter <= L'Z'; ++letter) {
        if (used & (1u << (letter - L'A'))) continue;
        const std::wstring drive = std::wstring(1, letter) + L":";
        if (system.volumes().driveType(volumeRoot(drive)) == kDriveNoRootDir) return drive;
    }
    return L"";
}

std::vector<std::wstring> listVolumeDevices(System& system, const std::wstring& prefix) {
    std::wstring buffer;
    std::uint32_t count = 0;
    std::uint32_t error = 0;
    for (std::size_t size = kDeviceListStep; size <= kDeviceListLimit; size += kDeviceListStep) {
        buffer.assign(size, L'\0');
        error = 0;
        count = system.volumes().queryDosDevice(std::nullopt, buffer, error);
        if (count != 0 || error != kErrorInsufficientBuffer) break;
    }
    std::vector<std::wstring> kept;
    for (const std::wstring& name : namesIn(buffer, count)) {
        if (name.find(prefix) == std::wstring::npos) continue;
        if (onlyDigits(removeAllIgnoreCase(name, prefix))) kept.push_back(name);
    }
    return kept;
}

std::wstring volumeDevicePath(System& system, const std::wstring& path) {
    std::wstring name = replaceAll(replaceAll(path, L":\\", L":"), L"}\\", L"}");
    name = replaceAll(replaceAll(name, L"\\\\?\\", L""), L"\\\\.\\", L"");
    std::wstring buffer(kDeviceNameCharacters, L'\0');
    std::uint32_t error = 0;
    const std::uint32_t count = system.volumes().queryDosDevice(name, buffer, error);
    const auto names = namesIn(buffer, count);
    if (names.empty()) return L"";
    std::wstring device = names.front();
    while (!device.empty() && device.back() == L' ') device.pop_back();
    return device;
}

std::wstring driveRootOfDevice(System& system, const std::wstring& device) {
    for (const std::wstring& root : logicalDriveRoots(system)) {
        if (volumeDevicePath(system, root) == device) return root;
    }
    return L"";
}

}  // namespace halvora
