#include "images/search_drives.hpp"

#include "base/text.hpp"
#include "disks/drive_enumeration.hpp"
#include "images/search_list.hpp"
#include "images/search_walk.hpp"

namespace halvora {

namespace {

constexpr int kLabelCharacters = 260;
const ControlName kOptionControls[] = {controls::ReloadExclusionsButton, controls::ScanDepthSpin,
                                       controls::SearchAgainButton, controls::SkipOsDriveCheck,
                                       controls::IncludeIsoCheck};

void enableOptions(Toolkit& ui, bool enabled) {
    for (const ControlName& control : kOptionControls) ui.setEnabled(control, enabled);
}

// GetVolumeInformationW into a buffer preset to blanks: a drive whose label cannot be read
// keeps the blanks.
std::wstring volumeLabel(Program& program, const std::wstring& root) {
    VolumeInformation volume;
    if (!program.system.volumes().volumeInformation(root, volume)) return std::wstring(kLabelCharacters, L' ');
    return volume.label;
}

void searchDrive(Program& program, const SearchWalk& walk, const std::wstring& root, SearchIcon icon) {
    Toolkit& ui = program.ui;
    const int row = addSearchDriveRow(program, root.substr(0, 2), volumeLabel(program, root), icon);
    const int count = walkFolder(program, walk, root, 0);
    if (count == 0) {
        removeSearchRow(program, row);
    } else {
        ui.setCell(kSearchResultList, row, kSearchSizeColumn, std::to_wstring(count));
    }
}

}  // namespace

bool holdsWindows(Program& program, const std::wstring& root) {
    if (!program.state.SystemDrive.empty() && equalsIgnoreCase(root.substr(0, 2), program.state.SystemDrive))
        return true;
    for (const wchar_t* loader : {L"winload.exe", L"winload.efi"}) {
        if (program.system.fileSize(root + L"Windows\\System32\\" + loader) >= 1) return true;
    }
    return false;
}

void searchDrives(Program& program, std::vector<std::wstring> exclusions) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    ui.deleteAllRows(kSearchResultList);
    s.SearchMarkedRow = -1;
    ui.setText(controls::SearchPanelCaption, L"검색 중...");
    ui.setText(controls::SearchBackButton, L"취소");
    enableOptions(ui, false);

    SearchWalk walk;
    walk.maxDepth = static_cast<int>(parseLeadingInteger(ui.text(controls::ScanDepthSpin)));
    walk.esdSupported = s.EsdSupported;
    walk.includeIso = s.IsoSupported && ui.isChecked(controls::IncludeIsoCheck);
    walk.exclusions = std::move(exclusions);
    const bool skipWindows = ui.isChecked(controls::SkipOsDriveCheck);

    for (const std::wstring& root : logicalDriveRoots(program.system)) {
        const std::uint32_t type = program.system.volumes().driveType(root);
        const bool windows = type == kDriveFixed && holdsWindows(program, root);
        if (!(windows && skipWindows)) searchDrive(program, walk, root, searchDriveIcon(type, windows));
        if (searchShouldStop(program)) break;
    }

    enableOptions(ui, true);
    ui.setText(controls::SearchPanelCaption, s.SearchStopRequested.load() ? L"검색 취소 완료" : L"설치 파일 목록");
    s.SearchStopRequested = false;
    ui.setText(controls::SearchBackButton, L"뒤로");
    markCurrentResult(program);
}

}  // namespace halvora
