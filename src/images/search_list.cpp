#include "images/search_list.hpp"

#include "disks/size_text.hpp"
#include "platform/volumes.hpp"

namespace halvora {

namespace {

// Every icon is added to the list's image list once, on first use; the image list keeps its
// own copies, so later searches use the same positions.
int iconIndex(Program& program, SearchIcon icon) {
    std::vector<int>& icons = program.state.SearchListIcons;
    if (icons.empty()) {
        Toolkit& ui = program.ui;
        const std::wstring system32 = program.state.SystemRoot + L"\\System32\\";
        const std::wstring imageres = system32 + L"imageres.dll";
        icons.resize(static_cast<int>(SearchIcon::Count), -1);
        const auto add = [&](SearchIcon which, const std::wstring& file, int index) {
            icons[static_cast<int>(which)] = ui.addListIcon(kSearchResultList, file, index);
        };
        add(SearchIcon::CdRom, imageres, -30);
        add(SearchIcon::WindowsDrive, imageres, -36);
        add(SearchIcon::FixedDrive, imageres, -35);
        add(SearchIcon::RamDisk, imageres, -34);
        add(SearchIcon::Remote, imageres, -33);
        add(SearchIcon::Removable, program.system.modulePath(), 1);
        add(SearchIcon::Other, imageres, -75);
        add(SearchIcon::CheckMark, system32 + L"Shell32.dll", -16802);
    }
    return icons[static_cast<int>(icon)];
}

void colourRow(Program& program, int row, const ColourPair& colours) {
    for (int column : {kSearchPathColumn, kSearchSizeColumn, kSearchTypeColumn}) {
        program.ui.setCellColours(kSearchResultList, row, column, colours.text, colours.background);
    }
}

}  // namespace

SearchIcon searchDriveIcon(std::uint32_t driveType, bool windows) {
    switch (driveType) {
        case kDriveCdRom:
            return SearchIcon::CdRom;
        case kDriveFixed:
            return windows ? SearchIcon::WindowsDrive : SearchIcon::FixedDrive;
        case kDriveRamDisk:
            return SearchIcon::RamDisk;
        case kDriveRemote:
            return SearchIcon::Remote;
        case kDriveRemovable:
            return SearchIcon::Removable;
        default:
            return SearchIcon::Other;
    }
}

int addSearchDriveRow(Program& program, const std::wstring& drive, const std::wstring& label, SearchIcon icon) {
    Toolkit& ui = program.ui;
    const int row = ui.addRow(kSearchResultList, {drive + L"     " + label, L"", kSearchDriveRow});
    ui.setRowIcon(kSearchResultList, row, iconIndex(program, icon));
    colourRow(program, row, program.state.Colours.findDrive);
    return row;
}

void addSearchFileRow(Program& program, const std::wstring& path, std::uint64_t size, SearchFileKind kind) {
    const int row =
        program.ui.addRow(kSearchResultList, {path, sizeText(static_cast<std::int64_t>(size)), kSearchFileRow});
    colourRow(program, row, searchFileColours(program.state.Colours, kind));
}

void removeSearchRow(Program& program, int row) {
    program.ui.deleteRow(kSearchResultList, row);
    // The rows below move up; a mark kept by index would name the wrong row afterwards.
    const int marked = program.state.SearchMarkedRow.load();
    if (marked == row) program.state.SearchMarkedRow = -1;
    if (marked > row) program.state.SearchMarkedRow = marked - 1;
}

void markCurrentResult(Program& program) {
    Toolkit& ui = program.ui;
    const std::wstring current = ui.text(controls::ImageFileEdit);
    int found = -1;
    if (!current.empty()) {
        const int rows = ui.rowCount(kSearchResultList);
        for (int row = 0; row < rows && found < 0; ++row) {
            if (ui.cell(kSearchResultList, row, kSearchPathColumn) == current) found = row;
        }
    }
    // Row 0 is always a drive row, whose icon is never the mark.
    const int marked = program.state.SearchMarkedRow.load();
    if (marked > 0 && marked != found && ui.cell(kSearchResultList, marked, kSearchTypeColumn) == kSearchFileRow) {
        ui.setRowIcon(kSearchResultList, marked, -1);
        // Forget it too, or choosing that file again would find it "already marked".
        program.state.SearchMarkedRow = -1;
    }
    if (found > 0 && found != program.state.SearchMarkedRow.load()) {
        ui.setRowIcon(kSearchResultList, found, iconIndex(program, SearchIcon::CheckMark));
        program.state.SearchMarkedRow = found;
    }
}

}  // namespace halvora
