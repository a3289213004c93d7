#include "ui/main_window.hpp"

#include "ui/interface_font.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

namespace {

const char* const kFullWindowPanels[] = {"TargetPanel", "BootPanel", "SearchPanel"};
const char* const kMainView[] = {"TitleBarPanel", "ImageList", "MainPanel", "BottomPanel", "InstallButton"};

void addColumns(Toolkit& ui, const std::string& list, const std::vector<ColumnSpec>& columns) {
    for (const auto& column : columns) ui.addColumn(list, column.title, column.width);
}

void createControls(Program& program) {
    Toolkit& ui = program.ui;
    for (const auto& layout : mainWindowControls()) {
        ui.createControl(layout);
        if (layout.kind == ControlKind::StatusBar) {
            ui.setStatusFields(layout.name, statusFieldWidths());
            ui.setProgress(layout.name, 0);
        }
    }
    for (const auto& tip : mainWindowTooltips()) ui.addTooltip(tip.control, tip.title, tip.text, tip.icon, tip.programFont);
    ui.createPopupMenu(kOptionsMenu, optionsMenuItems());
    ui.setMenuItemEnabled(kOptionsMenu, kMenuWimBoot, false);

    addColumns(ui, "ImageList", imageListColumns());
    for (const auto& list : driveLists()) addColumns(ui, list, driveListColumns());
    addColumns(ui, "SearchResultList", searchListColumns());
    const std::vector<std::wstring> emptyRow(driveListColumns().size());
    ui.addRow("TargetRow", emptyRow);
    ui.addRow("BootRow", emptyRow);
}

void setStartValues(Program& program) {
    Toolkit& ui = program.ui;
    for (const wchar_t* choice : {L"시스템 종료", L"다시 부팅", L"프로그램 종료", L"대기"}) ui.addComboItem("AfterInstallCombo", choice);
    ui.setComboSelection("AfterInstallCombo", kAfterReady);
    for (const std::wstring& locale : {program.system.userDefaultLocaleName(), std::wstring(L"en-us"), std::wstring(L"ko-kr")}) {
        ui.addComboItem("BootLocaleCombo", locale);
    }
    ui.setComboSelection("BootLocaleCombo", 0);
    for (const wchar_t* firmware : {L"ALL", L"BIOS", L"UEFI"}) ui.addComboItem("BootFirmwareCombo", firmware);
    ui.setComboSelection("BootFirmwareCombo", 0);
    ui.setSpinRange("ScanDepthSpin", 1, 4);
    ui.setSpinValue("ScanDepthSpin", 2);
    ui.setText("ScanDepthSpin", L"2");
    ui.setChecked("SkipOsDriveCheck", true);
}

}  // namespace

void applyColours(Program& program) {
    const ColourTable& c = program.state.Colours;
    for (const char* label : {"ImageListSizeToggle", "ImageColumnsToggle", "InfoMark", "VersionLabel"}) {
        program.ui.setColours(label, c.labelCmd.text, c.labelCmd.background);
    }
    for (const char* caption : {"TargetPanelCaption", "BootPanelCaption", "SearchPanelCaption"}) {
        program.ui.setColours(caption, c.labelTitle.text, c.labelTitle.background);
    }
}

void setSearchColumns(Program& program) {
    program.ui.setColumnAlignment("SearchResultList", 1, ColumnAlign::Right);
    program.ui.setColumnWidth("SearchResultList", 0, 640);
    program.ui.setColumnWidth("SearchResultList", 1, 85);
    program.ui.setColumnWidth("SearchResultList", 2, 0);
}

void showPanel(Program& program, const std::string& panel) {
    Toolkit& ui = program.ui;
    if (panel == "ImageListSizeToggle") {
        if (ui.text(panel) == kToggleOff) {
            for (const char* p : kFullWindowPanels) ui.setVisible(p, false);
            for (const char* c : {"MainPanel", "BottomPanel", "InstallButton"}) ui.setVisible(c, false);
            ui.setVisible("TitleBarPanel", true);
            ui.setVisible("ImageList", true);
            Rect r = ui.rect("ImageList");
            ui.setRect("ImageList", {r.x, r.y, 750, kImageListEnlargedHeight});
            ui.setText(panel, kToggleOn);
        } else {
            showPanel(program, "MainPanel");
            Rect r = ui.rect("ImageList");
            ui.setRect("ImageList", {r.x, r.y, 750, kImageListNormalHeight});
            ui.setText(panel, kToggleOff);
        }
        return;
    }
    if (panel == "MainPanel") {
        for (const char* p : kFullWindowPanels) ui.setVisible(p, false);
        for (const char* c : kMainView) ui.setVisible(c, true);
        return;
    }
    for (const char* p : kFullWindowPanels) ui.setVisible(p, false);
    for (const char* c : kMainView) ui.setVisible(c, false);
    ui.setVisible(panel, true);
}

std::uint32_t createMainWindow(Program& program) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    const std::uint32_t error =
        ui.createWindow(kMainWindow, L"Halvora", {kMainWindowWidth, kMainWindowHeight}, "", kWindowMinimiseBox);
    if (error != 0) return error;
    s.MainWindowCreated = true;
    ui.acceptDroppedFiles(kMainWindow);

    chooseFont(program);
    ui.setWindowFont(kMainWindow, s.FontName, s.FontSize);
    createControls(program);
    setStartValues(program);
    showPanel(program, "MainPanel");
    ui.setText(kMainWindow, s.TitleText);
    ui.setText("VersionLabel", programVersionText());

    return 0;
}

}  // namespace halvora
