#include "disks/esp_letters.hpp"

#include "disks/drive_enumeration.hpp"
#include "disks/volume_identity.hpp"

namespace halvora {

namespace {

// The first target of a DOS device name ("HarddiskVolume5" → "\Device\HarddiskVolume5").
std::wstring dosDeviceTarget(System& system, const std::wstring& name) {
    std::wstring buffer(kDeviceNameCharacters, L'\0');
    std::uint32_t error = 0;
    const std::uint32_t count = system.volumes().queryDosDevice(name, buffer, error);
    if (count == 0) return L"";
    return buffer.substr(0, buffer.find(L'\0'));
}

}  // namespace

int mountEspVolumes(Program& program) {
    System& sys = program.system;
    int count = 0;
    for (const std::wstring& entry : listVolumeDevices(sys, L"HarddiskVolume")) {
        const std::wstring target = dosDeviceTarget(sys, entry);
        DeviceNumber number;
        PartitionInfo info;
        if (!getDeviceNumber(sys, target, number) || !getPartitionInfo(sys, target, info)) continue;
        if (!isEsp(info)) continue;
        if (hasDriveLetter(sys, number.DeviceNumber, info.PartitionNumber)) continue;
        const std::wstring letter = findFreeDriveLetter(sys);
        if (letter.size() < 2) break;  // no letter from P to Z is left for the ESPs that follow
        std::uint32_t error = 0;
        if (sys.volumes().defineDosDevice(kDddRawTargetPath, letter, target, error)) ++count;
    }
    return count;
}

int unmountEspLetters(Program& program) {
    System& sys = program.system;
    int count = 0;
    for (const std::wstring& root : logicalDriveRoots(sys)) {
        PartitionInfo info;
        if (!getPartitionInfo(sys, L"\\\\.\\" + root, info) || !isGptEsp(info)) continue;
        const std::wstring drive = root.substr(0, 2);
        const std::wstring target = dosDeviceTarget(sys, drive);
        std::uint32_t error = 0;
        if (sys.volumes().defineDosDevice(kDddRawTargetPath | kDddRemoveDefinition | kDddExactMatchOnRemove, drive,
                                          target, error)) {
            ++count;
        }
    }
    return count;
}

}  // namespace halvora
