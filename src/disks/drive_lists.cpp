#include "disks/drive_lists.hpp"

#include "base/text.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_enumeration.hpp"
#include "disks/drive_row.hpp"
#include "disks/volume_identity.hpp"

namespace halvora {

namespace {

const ControlName& kTargetPicker = controls::TargetDriveList;
const ControlName& kBootPicker = controls::BootDriveList;

struct ColumnLayout {
    int width;
    ColumnAlign align;
};

const ColumnLayout kColumnLayout[kDriveColumnCount] = {
    {43, ColumnAlign::Left},  {34, ColumnAlign::Right}, {34, ColumnAlign::Right},  {205, ColumnAlign::Left},
    {77, ColumnAlign::Right}, {55, ColumnAlign::Left},  {45, ColumnAlign::Centre}, {45, ColumnAlign::Centre},
    {205, ColumnAlign::Left}, {0, ColumnAlign::Right},  {0, ColumnAlign::Right},   {0, ColumnAlign::Left},
    {0, ColumnAlign::Left},
};

// Every list gets the six icons once, in the same order; the image lists keep their own copies,
// so a rebuild does not add them again.
const std::array<int, kDriveIconCount>& driveIcons(Program& program, const ControlName& list) {
    auto& icons = program.state.DriveListIcons;
    auto found = icons.find(list);
    if (found != icons.end()) return found->second;
    const std::wstring self = program.system.modulePath();
    const std::wstring imageres = program.state.SystemRoot + L"\\System32\\imageres.dll";
    std::array<int, kDriveIconCount> loaded{};
    for (int i = 0; i < 4; ++i) loaded[i] = program.ui.addListIcon(list, self, i + 1);
    loaded[static_cast<int>(DriveIcon::Volume)] = program.ui.addListIcon(list, imageres, -35);
    loaded[static_cast<int>(DriveIcon::SystemVolume)] = program.ui.addListIcon(list, imageres, -36);
    return icons.emplace(list, loaded).first->second;
}

int iconIndex(Program& program, const ControlName& list, DriveIcon icon) {
    return driveIcons(program, list)[static_cast<int>(icon)];
}

// Label, file system, sizes and the disk's vendor and bus; what cannot be read stays empty.
void readVolumeFacts(System& system, DriveFacts& facts) {
    if (!system.volumes().volumeInformation(facts.root, facts.volume)) facts.volume = {};
    facts.spaceKnown = system.volumes().diskFreeSpace(facts.root, facts.space);
    if (!getDeviceDescriptor(system, facts.root, facts.descriptor)) facts.descriptor = {};
}

void addDriveRow(Program& program, const std::vector<std::wstring>& cells, DriveIcon icon) {
    Toolkit& ui = program.ui;
    if (cells[kBootTypeColumn].find(L"ESP") == std::wstring::npos) {
        const int row = ui.addRow(kTargetPicker, cells);
        ui.setRowIcon(kTargetPicker, row, iconIndex(program, kTargetPicker, icon));
        if (cells[kDriveColumn] == ui.cell(controls::TargetRow, 0, kDriveColumn)) {
            selectDriveRow(program, kTargetPicker, row, controls::TargetRow, 0, false);
        }
    }
    const int row = ui.addRow(kBootPicker, cells);
    ui.setRowIcon(kBootPicker, row, iconIndex(program, kBootPicker, icon));
    if (cells[kDriveColumn] == ui.cell(controls::BootRow, 0, kDriveColumn)) {
        selectDriveRow(program, kBootPicker, row, controls::BootRow, 0, false);
    }
}

}  // namespace

void rebuildDriveLists(Program& program) {
    Toolkit& ui = program.ui;
    System& system = program.system;
    ui.deleteAllRows(kTargetPicker);
    ui.deleteAllRows(kBootPicker);
    for (const std::wstring& root : logicalDriveRoots(system)) {
        const std::uint32_t type = system.volumes().driveType(root);
        if (type != kDriveRemovable && type != kDriveFixed) continue;
        DriveFacts facts;
        facts.root = root;
        facts.driveType = type;
        // Volumes that do not say where they lie cannot be chosen safely: leave them out.
        if (!getDeviceNumber(system, root, facts.number)) continue;
        if (!getPartitionInfo(system, root, facts.partition)) continue;
        readVolumeFacts(system, facts);
        const auto cells = driveRowCells(facts);
        addDriveRow(program, cells, driveIconFor(cells, program.state.SystemDrive));
    }
    for (const ControlName& list : {controls::TargetRow, controls::BootRow, kTargetPicker, kBootPicker})
        applyDriveColumns(program, list);
}

void copyDriveRow(Program& program, const ControlName& source, int sourceRow, const ControlName& destination,
                  int destinationRow, bool clear) {
    Toolkit& ui = program.ui;
    for (int c = 0; c < kDriveColumnCount; ++c) {
        ui.setCell(destination, destinationRow, c, clear ? L"" : ui.cell(source, sourceRow, c));
    }
    int icon = -1;
    if (!clear) {
        const int sourceIcon = ui.rowIcon(source, sourceRow);
        const auto& from = driveIcons(program, source);
        for (int i = 0; i < kDriveIconCount; ++i) {
            if (sourceIcon >= 0 && from[i] == sourceIcon) icon = driveIcons(program, destination)[i];
        }
    }
    ui.setRowIcon(destination, destinationRow, icon);
}

int findDriveRow(Program& program, const ControlName& list, const std::wstring& drive) {
    const int rows = program.ui.rowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (program.ui.cell(list, row, kDriveColumn) == drive) return row;
    }
    return -1;
}

void refreshChosenRow(Program& program, const ControlName& oneRow, const ControlName& picker) {
    Toolkit& ui = program.ui;
    System& system = program.system;
    const std::wstring drive = ui.cell(oneRow, 0, kDriveColumn);
    if (drive.empty()) return;
    const int row = findDriveRow(program, picker, drive);
    if (row < 0) return;

    const std::wstring root = drive + L"\\";
    VolumeInformation volume;
    if (!system.volumes().volumeInformation(root, volume)) volume = {};
    DiskSpace space;
    const bool spaceKnown = system.volumes().diskFreeSpace(root, space);
    PartitionInfo partition;
    std::wstring label = volume.label;
    if (getPartitionInfo(system, root, partition) && partition.PartitionStyle == kPartitionStyleGpt) {
        ui.setCell(picker, row, kStyleColumn, L"GPT");
        if (isGptEsp(partition)) {
            ui.setCell(picker, row, kBootTypeColumn, L"ESP");
            label = partition.GptName;
        }
    }
    while (!label.empty() && label.back() == L' ') label.pop_back();
    std::wstring fileSystem = volume.fileSystem;
    while (!fileSystem.empty() && fileSystem.back() == L' ') fileSystem.pop_back();
    const std::uint64_t total = spaceKnown ? space.totalBytes : 0;
    const std::uint64_t free = spaceKnown ? space.totalFreeBytes : 0;
    ui.setCell(picker, row, kLabelColumn, label);
    ui.setCell(picker, row, kFileSystemColumn, fileSystem);
    ui.setCell(picker, row, kUsageColumn, std::to_wstring(total >= free ? total - free : 0));
    ui.setCell(picker, row, kFreeColumn, std::to_wstring(free));
    selectDriveRow(program, picker, row, oneRow, 0, false);
}

void applyDriveColumns(Program& program, const ControlName& list) {
    for (int c = 0; c < kDriveColumnCount; ++c) {
        program.ui.setColumnAlignment(list, c, kColumnLayout[c].align);
        program.ui.setColumnWidth(list, c, kColumnLayout[c].width);
    }
}

}  // namespace halvora
