#include "disks/boot_location.hpp"

#include "disks/drive_lists.hpp"
#include "disks/drive_row.hpp"
#include "disks/size_text.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr int kFirmwareAll = 0;
constexpr int kFirmwareBios = 1;
constexpr int kFirmwareUefi = 2;

std::wstring cellOf(Program& program, const ControlName& oneRow, int column) {
    return program.ui.cell(oneRow, 0, column);
}

// Looks through the boot picker for the boot partition on the install location's disk. The
// last qualifying row of a kind wins; a GPT ESP beats an active partition, which beats an ESP
// on an MBR disk.
void findBootLocation(Program& program) {
    Toolkit& ui = program.ui;
    copyDriveRow(program, controls::BootRow, 0, controls::BootRow, 0, true);
    const std::wstring disk = cellOf(program, controls::TargetRow, kDiskColumn);
    const std::wstring style = cellOf(program, controls::TargetRow, kStyleColumn);
    int mbrEsp = -1;
    int active = -1;
    int gptEsp = -1;
    const int rows = ui.rowCount(controls::BootDriveList);
    for (int i = 0; i < rows; ++i) {
        if (ui.cell(controls::BootDriveList, i, kDiskColumn) != disk) continue;
        const std::wstring bootType = ui.cell(controls::BootDriveList, i, kBootTypeColumn);
        if (style == L"MBR") {
            if (bootType == L"ACT") {
                active = i;
            } else if (bootType == L"ESP") {
                mbrEsp = i;
            }
        } else if (style == L"GPT" && bootType.find(L"ESP") != std::wstring::npos) {
            gptEsp = i;
        }
    }
    int chosen = -1;
    if (mbrEsp >= 0) {
        chosen = mbrEsp;
        showStatus(program, L"같은 디스크에 있는 MBR EFI 시스템 파티션(MBR ESP) 을 찾았습니다.");
    }
    if (active >= 0) {
        chosen = active;
        showStatus(program, L"같은 디스크에 있는 활성 파티션(ACT) 을 찾았습니다.");
    }
    if (gptEsp >= 0) {
        chosen = gptEsp;
        showStatus(program, L"같은 디스크에 있는 GPT EFI 시스템 파티션(GPT ESP) 을 찾았습니다.");
    }
    if (chosen >= 0) {
        copyDriveRow(program, controls::BootDriveList, chosen, controls::BootRow, 0, false);
        ui.selectRow(controls::BootDriveList, chosen);
    }
    if (cellOf(program, controls::BootRow, kBootTypeColumn).empty()) {
        if (style == L"MBR") showStatus(program, L"같은 디스크에 활성 파티션(ACT) 이 없습니다.");
        if (style == L"GPT") showStatus(program, L"같은 디스크에 EFI 시스템 파티션(ESP) 이 없습니다.");
    }
}

int firmwareFor(const std::wstring& style, const std::wstring& bootType) {
    if (style == L"GPT") return kFirmwareUefi;
    if (style == L"MBR") return bootType == L"ESP" ? kFirmwareUefi : kFirmwareBios;
    return kFirmwareAll;
}

void markSameDisk(Program& program) {
    const bool same =
        cellOf(program, controls::TargetRow, kDiskColumn) == cellOf(program, controls::BootRow, kDiskColumn);
    const ColourPair colours = same ? program.state.Colours.lvMatch : ColourPair{kDefaultColour, kDefaultColour};
    for (const ControlName& oneRow : {controls::TargetRow, controls::BootRow}) {
        program.ui.setCellColours(oneRow, 0, kDiskColumn, colours.text, colours.background);
    }
}

std::wstring usedSpaceText(Program& program, const ControlName& oneRow) {
    const std::wstring used = program.ui.cell(oneRow, 0, kUsageColumn);
    long long bytes = 0;
    for (wchar_t c : used) {
        if (c < L'0' || c > L'9') break;
        bytes = bytes * 10 + (c - L'0');
    }
    return bytes > 0 ? sizeText(bytes) : L"";
}

}  // namespace

void selectDriveRow(Program& program, const ControlName& list, int row, const ControlName& oneRow, int targetRow,
                    bool announce) {
    if (row < 0) return;
    Toolkit& ui = program.ui;
    copyDriveRow(program, list, row, oneRow, targetRow, false);
    if (announce) {
        showStatus(program, ui.cell(oneRow, targetRow, kDriveColumn) + L" 선택");
        if (oneRow == controls::TargetRow) findBootLocation(program);
        ui.setComboSelection(controls::BootFirmwareCombo,
                             firmwareFor(cellOf(program, controls::BootRow, kStyleColumn),
                                         cellOf(program, controls::BootRow, kBootTypeColumn)));
        markSameDisk(program);
    }
    ui.setText(controls::TargetUsedLabel, usedSpaceText(program, controls::TargetRow));
    ui.setText(controls::BootUsedLabel, usedSpaceText(program, controls::BootRow));
}

void clearBootLocation(Program& program) {
    copyDriveRow(program, controls::BootRow, 0, controls::BootRow, 0, true);
    program.ui.setCellColours(controls::BootRow, 0, kDiskColumn, kDefaultColour, kDefaultColour);
    program.ui.setText(controls::BootUsedLabel, L"");
}

std::wstring bootLocationNote(Program& program) {
    return bootLocationNote(cellOf(program, controls::TargetRow, kStyleColumn),
                            cellOf(program, controls::BootRow, kBootTypeColumn));
}

std::wstring bootLocationNote(const std::wstring& installStyle, const std::wstring& bootType) {
    if (installStyle == L"GPT") return bootType != L"ESP" ? L"ESP 무시." : L"";
    if (installStyle == L"MBR") return bootType != L"ACT" && bootType != L"ESP" ? L"ACT 무시." : L"";
    return L"";
}

}  // namespace halvora
