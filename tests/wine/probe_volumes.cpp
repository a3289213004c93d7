// The win32 volume calls in the probe's own process. Each call's result is printed as one line,
// "VOLUMES <what> ...", and the Wine test script checks those lines against what Wine is known to
// answer. A few things that need no knowledge of Wine are checked here directly.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "disks/drive_enumeration.hpp"
#include "disks/volume_identity.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_volumes.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

using halvora::Volumes;

std::string number(std::uint64_t n) { return std::to_string(n); }

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The names in a list of NUL-terminated names, up to `length` characters.
std::vector<std::wstring> namesIn(const std::wstring& buffer, std::uint32_t length) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i < length && i < buffer.size(); ++i) {
        if (buffer[i] != L'\0') continue;
        if (i > start) names.push_back(buffer.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

std::string joined(const std::vector<std::wstring>& names) {
    std::string text;
    for (const auto& name : names) {
        if (!text.empty()) text += ' ';
        text += shown(name);
    }
    return text;
}

std::string letters(std::uint32_t mask) {
    std::string text;
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i)) text.push_back(static_cast<char>('A' + i));
    }
    return text;
}

// "ok ..." or "fail <error>": every outcome is a value, printed either way.
std::string outcome(bool ok, std::uint32_t error) { return ok ? "ok" : "fail " + number(error); }

// The first target QueryDosDeviceW gives for one name, or the failure.
std::string queryOne(Volumes& volumes, const std::wstring& name, std::wstring& target) {
    std::wstring buffer(MAX_PATH, L'\0');
    std::uint32_t error = 0;
    const std::uint32_t stored = volumes.queryDosDevice(name, buffer, error);
    const auto names = namesIn(buffer, stored);
    target = names.empty() ? std::wstring{} : names.front();
    return stored != 0 ? "ok " + number(stored) + " " + shown(target) : "fail " + number(error);
}

void driveListing(Volumes& volumes) {
    std::wstring buffer(MAX_PATH, L'\0');
    const std::uint32_t length = volumes.logicalDriveStrings(buffer);
    say("VOLUMES drive-strings " + number(length) + " " + joined(namesIn(buffer, length)));
    say("VOLUMES logical-drives " + letters(volumes.logicalDrives()));
    std::wstring tiny(3, L'\0');
    say("VOLUMES drive-strings-too-small " + number(volumes.logicalDriveStrings(tiny)) + " (needs " +
        number(length + 1) + ")");

    // Keyed by the letter alone, so that the script's patterns need no backslashes.
    for (const wchar_t* root : {L"C:\\", L"Z:\\"}) {
        const std::string letter(1, static_cast<char>(root[0]));
        say("VOLUMES drive-type " + letter + " " + number(volumes.driveType(root)));
        halvora::VolumeInformation info;
        const bool got = volumes.volumeInformation(root, info);
        say("VOLUMES volume-information " + letter + " " + (got ? "ok" : "fail") + " label=\"" + shown(info.label) +
            "\" fs=\"" + shown(info.fileSystem) + "\" serial=" + number(info.serialNumber) +
            " component=" + number(info.maximumComponentLength));
        halvora::DiskSpace space;
        const bool sized = volumes.diskFreeSpace(root, space);
        say("VOLUMES free-space " + letter + " " + (sized ? "ok" : "fail") + " total=" + number(space.totalBytes) +
            " free=" + number(space.totalFreeBytes) + " available=" + number(space.freeBytesAvailableToCaller));
    }
}

void volumeRequests(Volumes& volumes) {
    std::uint32_t error = 0;
    auto volume = volumes.openVolume(L"\\\\.\\C:", 0, halvora::kFileShareReadWrite, 0, error);
    say("VOLUMES open-volume-c " + outcome(volume != nullptr, error));

    std::uint32_t missingError = 0;
    auto missing =
        volumes.openVolume(L"\\\\.\\Halvora-no-such-volume", 0, halvora::kFileShareReadWrite, 0, missingError);
    say("VOLUMES open-missing " + outcome(missing != nullptr, missingError));
    if (!volume) return;

    std::array<std::uint8_t, halvora::kDeviceNumberSize> number12{};
    std::uint32_t returned = 0;
    bool ok = volume->deviceIoControl(halvora::kIoctlStorageGetDeviceNumber, nullptr, 0, number12.data(),
                                      halvora::kDeviceNumberSize, returned, error);
    say("VOLUMES device-number " + outcome(ok, error) + " bytes=" + number(returned) +
        " type=" + number(littleEndian32(&number12[0])) + " disk=" + number(littleEndian32(&number12[4])) +
        " partition=" + number(littleEndian32(&number12[8])));

    // Zero-filled beforehand and marked, so a failure that wrote anything would show.
    std::array<std::uint8_t, halvora::kPartitionInfoSize> partition{};
    returned = 0xA5A5;
    error = 0;
    ok = volume->deviceIoControl(halvora::kIoctlDiskGetPartitionInfoEx, nullptr, 0, partition.data(),
                                 halvora::kPartitionInfoSize, returned, error);
    say("VOLUMES partition-info " + outcome(ok, error) + " bytes=" + number(returned) +
        " style=" + number(littleEndian32(&partition[0])));

    std::array<std::uint8_t, halvora::kPropertyQuerySize> query{};
    std::vector<std::uint8_t> descriptor(halvora::kDeviceDescriptorSize, 0);
    returned = 0;
    ok = volume->deviceIoControl(halvora::kIoctlStorageQueryProperty, query.data(), halvora::kPropertyQuerySize,
                                 descriptor.data(), halvora::kDeviceDescriptorSize, returned, error);
    say("VOLUMES device-descriptor " + outcome(ok, error) + " bytes=" + number(returned) +
        " size=" + number(littleEndian32(&descriptor[4])));
}

// The volume handle is the only thing that keeps an exclusively opened file busy: once it is
// destroyed, the file opens again.
void handleLifetime(Volumes& volumes) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"halvora-probe-volume.bin";
    HANDLE made = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (made != INVALID_HANDLE_VALUE) CloseHandle(made);

    std::uint32_t error = 0;
    auto exclusive = volumes.openVolume(file, GENERIC_READ, 0, 0, error);
    std::uint32_t busyError = 0;
    auto second = volumes.openVolume(file, GENERIC_READ, halvora::kFileShareReadWrite, 0, busyError);
    const bool busy = exclusive && !second && busyError == ERROR_SHARING_VIOLATION;
    exclusive.reset();
    std::uint32_t againError = 0;
    auto again = volumes.openVolume(file, GENERIC_READ, halvora::kFileShareReadWrite, 0, againError);
    check(busy && again, "a volume handle keeps its file open until it is destroyed, and closes it then",
          "second open while held: error " + number(busyError) + ", after: error " + number(againError));
    again.reset();
    DeleteFileW(file.c_str());
}

void dosDevices(Volumes& volumes) {
    std::wstring cTarget;
    say("VOLUMES query C: " + queryOne(volumes, L"C:", cTarget));

    std::uint32_t error = 0;
    std::wstring tiny(4, L'\0');
    const std::uint32_t tinyStored = volumes.queryDosDevice(std::nullopt, tiny, error);
    say("VOLUMES query-all-tiny " + (tinyStored != 0 ? "ok " + number(tinyStored) : "fail " + number(error)));

    // The whole list, grown while it does not fit.
    std::wstring all;
    std::uint32_t stored = 0;
    for (std::size_t size = 25600; size <= 25600 * 8; size += 25600) {
        all.assign(size, L'\0');
        stored = volumes.queryDosDevice(std::nullopt, all, error);
        if (stored != 0 || error != ERROR_INSUFFICIENT_BUFFER) break;
    }
    const auto names = namesIn(all, stored);
    bool hasC = false;
    for (const auto& name : names) hasC = hasC || name == L"C:";
    say("VOLUMES query-all " + (stored != 0 ? "ok" : "fail " + number(error)) + " names=" + number(names.size()) +
        (hasC ? " has C:" : " no C:"));

    // A spare letter: in no use, and without a root.
    const std::uint32_t used = volumes.logicalDrives();
    wchar_t spare = 0;
    for (wchar_t letter = L'T'; letter <= L'Y' && !spare; ++letter) {
        const std::wstring drive = std::wstring(1, letter) + L":";
        if (!(used & (1u << (letter - L'A'))) && volumes.driveType(drive + L"\\") == halvora::kDriveNoRootDir) {
            spare = letter;
        }
    }
    if (!spare || cTarget.empty()) {
        say("VOLUMES define none: no spare letter or no target of C:");
        return;
    }
    const std::wstring drive = std::wstring(1, spare) + L":";
    const std::string shownDrive = utf8(drive);
    std::wstring before;
    say("VOLUMES spare " + shownDrive + " query-before " + queryOne(volumes, drive, before));

    const bool defined = volumes.defineDosDevice(halvora::kDddRawTargetPath, drive, cTarget, error);
    say("VOLUMES define " + shownDrive + " " + outcome(defined, error));
    std::wstring after;
    say("VOLUMES query-defined " + shownDrive + " " + queryOne(volumes, drive, after));
    say(std::string("VOLUMES defined-target ") + (defined && after == cTarget ? "same as C:" : "differs"));
    std::wstring listed(MAX_PATH, L'\0');
    say("VOLUMES drive-strings-defined " + joined(namesIn(listed, volumes.logicalDriveStrings(listed))));

    const std::uint32_t removeFlags =
        halvora::kDddRawTargetPath | halvora::kDddRemoveDefinition | halvora::kDddExactMatchOnRemove;
    const bool removed = volumes.defineDosDevice(removeFlags, drive, cTarget, error);
    say("VOLUMES remove " + shownDrive + " " + outcome(removed, error));
    std::wstring gone;
    say("VOLUMES query-removed " + shownDrive + " " + queryOne(volumes, drive, gone));
    if (!removed && defined) {
        // Leave the prefix as it was even when the exact removal failed.
        volumes.defineDosDevice(halvora::kDddRemoveDefinition, drive, L"", error);
    }
}

// The program's own reading of the volumes, over the real backend: the records it decodes and the
// names it walks are the ones Windows hands over.
void programView() {
    halvora::win32::Win32System system;
    halvora::DeviceNumber device;
    const bool numbered = halvora::getDeviceNumber(system, L"C:\\", device);
    say("VOLUMES program-device-number " + std::string(numbered ? "ok" : "fail") +
        " disk=" + number(device.DeviceNumber) + " partition=" + number(device.PartitionNumber));
    halvora::PartitionInfo partition;
    const bool partitioned = halvora::getPartitionInfo(system, L"C:\\", partition);
    say("VOLUMES program-partition-info " + std::string(partitioned ? "ok" : "fail") +
        " style=" + number(partition.PartitionStyle) + " boot-type=\"" + utf8(halvora::bootTypeText(partition)) + "\"");
    say(std::string("VOLUMES program-has-drive-letter ") +
        (numbered && halvora::hasDriveLetter(system, device.DeviceNumber, device.PartitionNumber) ? "yes" : "no"));
    const std::wstring devicePath = halvora::volumeDevicePath(system, L"C:\\");
    say("VOLUMES program-device-path " + shown(devicePath));
    say("VOLUMES program-drive-root " + shown(halvora::driveRootOfDevice(system, devicePath)));
    say("VOLUMES program-free-letter " + shown(halvora::findFreeDriveLetter(system)));
    say("VOLUMES program-volume-devices " + joined(halvora::listVolumeDevices(system, L"HarddiskVolume")));
}

}  // namespace

int checkVolumes() {
    auto volumes = halvora::win32::openVolumes();
    driveListing(*volumes);
    volumeRequests(*volumes);
    handleLifetime(*volumes);
    dosDevices(*volumes);
    programView();
    return failures;
}

}  // namespace probe
