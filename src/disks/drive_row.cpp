#include "disks/drive_row.hpp"

#include "base/text.hpp"
#include "disks/size_text.hpp"

namespace halvora {

namespace {

std::wstring withoutTrailingSpaces(std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

}  // namespace

std::vector<std::wstring> driveRowCells(const DriveFacts& facts) {
    std::vector<std::wstring> cells(kDriveColumnCount);
    const PartitionInfo& partition = facts.partition;
    std::wstring label = facts.volume.label;
    // An ESP's own label is usually empty or "SYSTEM"; its GPT name says what it is.
    if (isGptEsp(partition)) label = partition.GptName;

    cells[kDriveColumn] = replaceAll(facts.root, L":\\", L":");
    cells[kDiskColumn] = std::to_wstring(facts.number.DeviceNumber);
    cells[kPartitionColumn] = std::to_wstring(facts.number.PartitionNumber);
    cells[kLabelColumn] = withoutTrailingSpaces(label);
    cells[kFileSystemColumn] = withoutTrailingSpaces(facts.volume.fileSystem);
    cells[kStyleColumn] = partitionStyleText(partition);
    cells[kBootTypeColumn] = bootTypeText(partition);
    cells[kProductColumn] = productText(facts.descriptor);
    // A volume whose size cannot be read (unformatted, say) shows no size and no free bytes,
    // so that nothing is ever installed onto it for room it only seems to have.
    const std::uint64_t total = facts.spaceKnown ? facts.space.totalBytes : 0;
    const std::uint64_t free = facts.spaceKnown ? facts.space.totalFreeBytes : 0;
    cells[kSizeColumn] = facts.spaceKnown ? sizeText(static_cast<std::int64_t>(total)) : L"";
    cells[kUsageColumn] = std::to_wstring(total >= free ? total - free : 0);
    cells[kFreeColumn] = std::to_wstring(free);
    cells[kDriveTypeColumn] = std::to_wstring(facts.driveType);
    cells[kBusColumn] = std::to_wstring(facts.descriptor.BusType);
    return cells;
}

DriveIcon driveIconFor(const std::vector<std::wstring>& cells, const std::wstring& systemDrive) {
    const std::wstring& bus = cells[kBusColumn];
    const bool esp = cells[kBootTypeColumn] == L"ESP";
    if (bus == L"14" || bus == L"15") return esp ? DriveIcon::VirtualEsp : DriveIcon::VirtualDisk;
    if (cells[kDriveTypeColumn] == L"2") return DriveIcon::Removable;
    if (esp) return DriveIcon::Esp;
    if (equalsIgnoreCase(cells[kDriveColumn], systemDrive)) return DriveIcon::SystemVolume;
    return DriveIcon::Volume;
}

}  // namespace halvora
