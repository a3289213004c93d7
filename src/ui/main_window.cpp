#include "ui/main_window.hpp"

#include "ui/interface_font.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

namespace {

const ControlName kFullWindowPanels[] = {controls::TargetPanel, controls::BootPanel, controls::SearchPanel};
const ControlName kMainView[] = {controls::TitleBarPanel, controls::ImageList, controls::MainPanel,
                                 controls::BottomPanel, controls::InstallButton};

void addColumns(Toolkit& ui, const ControlName& list, const std::vector<ColumnSpec>& columns) {
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
    for (const auto& tip : mainWindowTooltips())
        ui.addTooltip(tip.control, tip.title, tip.text, tip.icon, tip.programFont);
    ui.createPopupMenu(controls::OptionsMenu, optionsMenuItems());
    ui.setMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot, false);

    addColumns(ui, controls::ImageList, imageListColumns());
    for (const auto& list : driveLists()) addColumns(ui, list, driveListColumns());
    addColumns(ui, controls::SearchResultList, searchListColumns());
    const std::vector<std::wstring> emptyRow(driveListColumns().size());
    ui.addRow(controls::TargetRow, emptyRow);
    ui.addRow(controls::BootRow, emptyRow);
}

void setStartValues(Program& program) {
    Toolkit& ui = program.ui;
    for (const wchar_t* choice : {L"시스템 종료", L"다시 부팅", L"프로그램 종료", L"대기"})
        ui.addComboItem(controls::AfterInstallCombo, choice);
    ui.setComboSelection(controls::AfterInstallCombo, kAfterReady);
    for (const std::wstring& locale :
         {program.system.userDefaultLocaleName(), std::wstring(L"en-us"), std::wstring(L"ko-kr")}) {
        ui.addComboItem(controls::BootLocaleCombo, locale);
    }
    ui.setComboSelection(controls::BootLocaleCombo, 0);
    for (const wchar_t* firmware : {L"ALL", L"BIOS", L"UEFI"}) ui.addComboItem(controls::BootFirmwareCombo, firmware);
    ui.setComboSelection(controls::BootFirmwareCombo, 0);
    ui.setSpinRange(controls::ScanDepthSpin, 1, 4);
    ui.setSpinValue(controls::ScanDepthSpin, 2);
    ui.setText(controls::ScanDepthSpin, L"2");
    ui.setChecked(controls::SkipOsDriveCheck, true);
}

}  // namespace

void applyColours(Program& program) {
    const ColourTable& c = program.state.Colours;
    for (const ControlName& label :
         {controls::ImageListSizeToggle, controls::ImageColumnsToggle, controls::InfoMark, controls::VersionLabel}) {
        program.ui.setColours(label, c.labelCmd.text, c.labelCmd.background);
    }
    for (const ControlName& caption :
         {controls::TargetPanelCaption, controls::BootPanelCaption, controls::SearchPanelCaption}) {
        program.ui.setColours(caption, c.labelTitle.text, c.labelTitle.background);
    }
}

void setSearchColumns(Program& program) {
    program.ui.setColumnAlignment(controls::SearchResultList, 1, ColumnAlign::Right);
    program.ui.setColumnWidth(controls::SearchResultList, 0, 640);
    program.ui.setColumnWidth(controls::SearchResultList, 1, 85);
    program.ui.setColumnWidth(controls::SearchResultList, 2, 0);
}

void showPanel(Program& program, const ControlName& panel) {
    Toolkit& ui = program.ui;
    if (panel == controls::ImageListSizeToggle) {
        if (ui.text(panel) == kToggleOff) {
            for (const ControlName& p : kFullWindowPanels) ui.setVisible(p, false);
            for (const ControlName& c : {controls::MainPanel, controls::BottomPanel, controls::InstallButton})
                ui.setVisible(c, false);
            ui.setVisible(controls::TitleBarPanel, true);
            ui.setVisible(controls::ImageList, true);
            Rect r = ui.rect(controls::ImageList);
            ui.setRect(controls::ImageList, {r.x, r.y, 750, kImageListEnlargedHeight});
            ui.setText(panel, kToggleOn);
        } else {
            showPanel(program, controls::MainPanel);
            Rect r = ui.rect(controls::ImageList);
            ui.setRect(controls::ImageList, {r.x, r.y, 750, kImageListNormalHeight});
            ui.setText(panel, kToggleOff);
        }
        return;
    }
    if (panel == controls::MainPanel) {
        for (const ControlName& p : kFullWindowPanels) ui.setVisible(p, false);
        for (const ControlName& c : kMainView) ui.setVisible(c, true);
        return;
    }
    for (const ControlName& p : kFullWindowPanels) ui.setVisible(p, false);
    for (const ControlName& c : kMainView) ui.setVisible(c, false);
    ui.setVisible(panel, true);
}

std::uint32_t createMainWindow(Program& program) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    const std::uint32_t error = ui.createWindow(controls::MainWindow, L"Halvora", {kMainWindowWidth, kMainWindowHeight},
                                                ControlName(), kWindowMinimiseBox);
    if (error != 0) return error;
    s.MainWindowCreated = true;
    ui.acceptDroppedFiles(controls::MainWindow);

    chooseFont(program);
    ui.setWindowFont(controls::MainWindow, s.FontName, s.FontSize);
    createControls(program);
    setStartValues(program);
    showPanel(program, controls::MainPanel);
    ui.setText(controls::MainWindow, s.TitleText);
    ui.setText(controls::VersionLabel, programVersionText());

    return 0;
}

}  // namespace halvora
