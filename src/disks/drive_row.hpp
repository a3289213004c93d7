#pragma once
// One row of the drive lists: what is known of a lettered volume, turned into the 13 column
// texts that every drive list shows, and the icon that goes with it.

#include <string>
#include <vector>

#include "disks/volume_records.hpp"
#include "platform/volumes.hpp"

namespace halvora {

// Columns of the four drive lists; columns 9 to 12 are hidden and carry numbers.
enum DriveColumn : int {
    kDriveColumn = 0,  // "C:"
    kDiskColumn = 1,
    kPartitionColumn = 2,
    kLabelColumn = 3,
    kSizeColumn = 4,
    kFileSystemColumn = 5,
    kStyleColumn = 6,     // "MBR", "GPT", "RAW"
    kBootTypeColumn = 7,  // "ACT", "ESP" or empty
    kProductColumn = 8,
    kUsageColumn = 9,       // used bytes
    kFreeColumn = 10,       // free bytes
    kDriveTypeColumn = 11,  // GetDriveTypeW
    kBusColumn = 12,        // STORAGE_BUS_TYPE
    kDriveColumnCount = 13,
};

// The six row icons, in the order the lists hold them.
enum class DriveIcon : int {
    Removable = 0,     // the program's icon 1
    Esp = 1,           // icon 2
    VirtualDisk = 2,   // icon 3: a mounted VHD or ISO
    VirtualEsp = 3,    // icon 4
    Volume = 4,        // imageres.dll 35
    SystemVolume = 5,  // imageres.dll 36
};
inline constexpr int kDriveIconCount = 6;

struct DriveFacts {
    std::wstring root;  // "C:\"
    std::uint32_t driveType = 0;
    DeviceNumber number;
    PartitionInfo partition;
    VolumeInformation volume;  // empty texts when it could not be read
    bool spaceKnown = false;
    DiskSpace space;
    DeviceDescriptor descriptor;  // zeroed when it could not be read
};

std::vector<std::wstring> driveRowCells(const DriveFacts& facts);

// The first rule that holds: virtual disk (ESP or not), removable, ESP, the running system's
// drive, any other volume.
DriveIcon driveIconFor(const std::vector<std::wstring>& cells, const std::wstring& systemDrive);

}  // namespace halvora
