#include "app/event_loop.hpp"

#include <utility>
#include <vector>

#include "app/command_line.hpp"
#include "ui/option_summary.hpp"
#include "app/file_version.hpp"
#include "app/information_text.hpp"
#include "app/settings.hpp"
#include "app/single_instance.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_format.hpp"
#include "disks/drive_lists.hpp"
#include "disks/esp_letters.hpp"
#include "images/image_list.hpp"
#include "images/search_commands.hpp"
#include "images/search_exclusions.hpp"
#include "images/search_worker.hpp"
#include "install/completion.hpp"
#include "ui/customisation_choice.hpp"
#include "install/dropped_files.hpp"
#include "install/install_command.hpp"
#include "ui/main_window.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"

namespace halvora {

namespace {

// What a control's event does. Handlers take the event for the rows of lists; the rest ignore it.
using Handler = void (*)(Program&, const Event&);

struct Route {
    const ControlName& control;
    int code;  // kLeftClick, kDoubleClick or kChange
    Handler handler;
};

void onImageColumnsToggle(Program& program, const Event&) {
    Toolkit& ui = program.ui;
    const bool full = ui.text(controls::ImageColumnsToggle) == kToggleOff;
    setImageColumns(program, full);
    ui.setText(controls::ImageColumnsToggle, full ? kToggleOn : kToggleOff);
}

void onRefresh(Program& program, const Event&) {
    Toolkit& ui = program.ui;
    ui.setEnabled(controls::TargetRefreshButton, false);
    ui.setEnabled(controls::BootRefreshButton, false);
    mountEspVolumes(program);
    rebuildDriveLists(program);
    ui.setEnabled(controls::TargetRefreshButton, true);
    ui.setEnabled(controls::BootRefreshButton, true);
}

void onPickerDone(Program& program, const ControlName& list, const ControlName& oneRow) {
    const int row = program.ui.selectedRow(list);
    if (row < 0) return;
    selectDriveRow(program, list, row, oneRow, 0, true);
    showPanel(program, controls::MainPanel);
}

void onTargetChosen(Program& program, const Event&) {
    onPickerDone(program, controls::TargetDriveList, controls::TargetRow);
}
void onBootChosen(Program& program, const Event&) { onPickerDone(program, controls::BootDriveList, controls::BootRow); }

void onImageListClick(Program& program, const Event& event) {
    if (event.row < 0) return;
    program.ui.setText(controls::ImageIndexEdit, program.ui.cell(controls::ImageList, event.row, 0));
    program.ui.setText(controls::DescriptionEdit, program.ui.cell(controls::ImageList, event.row, 6));
}

void onSkipOsDriveCheck(Program& program, const Event&) {
    writeSearchOption(program, L"ScanSkipOSDrive", program.ui.isChecked(controls::SkipOsDriveCheck) ? 1 : 0);
}

void onIncludeIsoCheck(Program& program, const Event&) {
    writeSearchOption(program, L"ScanWithISO", program.ui.isChecked(controls::IncludeIsoCheck) ? 1 : 0);
}

void onScanDepthSpin(Program& program, const Event&) {
    writeSearchOption(program, L"ScanDepth", program.ui.spinValue(controls::ScanDepthSpin));
}

// Every control event the main window answers, by control and event type: buttons and check
// boxes report a left click, the click labels and the image list a left click, the pickers'
// lists and the search list a double click, the spin field a change. Anything else is ignored.
constexpr Route kRoutes[] = {
    {controls::ImageListSizeToggle, kLeftClick,
     [](Program& p, const Event&) { showPanel(p, controls::ImageListSizeToggle); }},
    {controls::ImageColumnsToggle, kLeftClick, onImageColumnsToggle},
    {controls::InfoMark, kLeftClick, [](Program& p, const Event&) { showInformationBox(p); }},
    {controls::InstallButton, kLeftClick, [](Program& p, const Event&) { installCommand(p, false); }},
    {controls::ImageFileButton, kLeftClick, [](Program& p, const Event&) { selectImageFile(p, L"", -1); }},
    {controls::SearchButton, kLeftClick, [](Program& p, const Event&) { onSearchButton(p); }},
    {controls::SearchAgainButton, kLeftClick, [](Program& p, const Event&) { onSearchAgain(p); }},
    {controls::ScanDepthSpin, kChange, onScanDepthSpin},
    {controls::OemButton, kLeftClick, [](Program& p, const Event&) { setOemPath(p, L"", true); }},
    {controls::OemTreeButton, kLeftClick, [](Program& p, const Event&) { setOemPath(p, L"", false); }},
    {controls::XmlButton, kLeftClick, [](Program& p, const Event&) { setAnswerFile(p, L""); }},
    {controls::OemClearButton, kLeftClick, [](Program& p, const Event&) { p.ui.setText(controls::OemEdit, L""); }},
    {controls::XmlClearButton, kLeftClick, [](Program& p, const Event&) { p.ui.setText(controls::XmlEdit, L""); }},
    {controls::TargetButton, kLeftClick, [](Program& p, const Event&) { showPanel(p, controls::TargetPanel); }},
    {controls::BootButton, kLeftClick, [](Program& p, const Event&) { showPanel(p, controls::BootPanel); }},
    {controls::ReloadExclusionsButton, kLeftClick, [](Program& p, const Event&) { readExclusionList(p); }},
    {controls::TargetRefreshButton, kLeftClick, onRefresh},
    {controls::BootRefreshButton, kLeftClick, onRefresh},
    {controls::TargetDoneButton, kLeftClick, onTargetChosen},
    {controls::BootClearButton, kLeftClick, [](Program& p, const Event&) { clearBootLocation(p); }},
    {controls::BootDoneButton, kLeftClick, onBootChosen},
    {controls::SearchDoneButton, kLeftClick, [](Program& p, const Event&) { onSearchResultChosen(p); }},
    {controls::TargetCancelButton, kLeftClick, [](Program& p, const Event&) { showPanel(p, controls::MainPanel); }},
    {controls::BootCancelButton, kLeftClick, [](Program& p, const Event&) { showPanel(p, controls::MainPanel); }},
    {controls::SearchBackButton, kLeftClick, [](Program& p, const Event&) { onSearchBack(p); }},
    {controls::ImageList, kLeftClick, onImageListClick},
    {controls::TargetDriveList, kDoubleClick, onTargetChosen},
    {controls::BootDriveList, kDoubleClick, onBootChosen},
    {controls::SearchResultList, kDoubleClick, [](Program& p, const Event&) { onSearchResultChosen(p); }},
    {controls::BootRepairButton, kLeftClick, [](Program& p, const Event&) { bootRepairCommand(p); }},
    {controls::TargetFormatButton, kLeftClick,
     [](Program& p, const Event&) { formatChosenDrive(p, controls::TargetRow); }},
    {controls::BootFormatButton, kLeftClick, [](Program& p, const Event&) { formatChosenDrive(p, controls::BootRow); }},
    {controls::SkipOsDriveCheck, kLeftClick, onSkipOsDriveCheck},
    {controls::IncludeIsoCheck, kLeftClick, onIncludeIsoCheck},
    {controls::OptionsButton, kLeftClick,
     [](Program& p, const Event&) { p.ui.showPopupMenu(controls::OptionsMenu, controls::MainWindow); }},
};

void onCustomEvent(Program& program, const Event& event) {
    if (event.window != controls::MainWindow) return;
    if (event.code == kApplyFailed) onApplyFailed(program);
    if (event.code == kApplySucceeded) onApplySucceeded(program);
    if (event.code == kBootConfigDone) onBootConfigDone(program, event);
    if (event.code == kSearchFinished) onSearchFinished(program);
}

// A second start's arguments, taken up here rather than in the window procedure that received
// them, so that they never run in the middle of another handler (a box, a dialog, a menu).
void onHandOver(Program& program, const Event& event) {
    if (event.window != controls::MainWindow) return;
    const auto text = readHandOver(event.data.data(), static_cast<std::uint32_t>(event.data.size()));
    // An empty hand-over would make the parser fall back to this process's own arguments, so
    // it is refused like any other malformed one.
    if (!text || text->empty()) return;
    parseCommandLine(program, *text, false);
}

void onCloseRequest(Program& program, const Event& event) {
    if (event.window != controls::MainWindow) return;
    if (program.state.anyWorkerAlive() || program.state.Busy.load()) return;
    program.quit = true;
}

Event nextEvent(Program& program) {
    if (!program.heldEvents.empty()) {
        Event event = std::move(program.heldEvents.front());
        program.heldEvents.pop_front();
        return event;
    }
    return program.ui.waitEvent();
}

}  // namespace

void toggleOptionsMenuItem(Program& program, int item) {
    Toolkit& ui = program.ui;
    if (ui.isMenuItemChecked(controls::OptionsMenu, item)) {
        ui.setMenuItemChecked(controls::OptionsMenu, item, false);
    } else {
        ui.setMenuItemChecked(controls::OptionsMenu, item, true);
        if (item == kMenuCompact) ui.setMenuItemChecked(controls::OptionsMenu, kMenuWimBoot, false);
        if (item == kMenuWimBoot) ui.setMenuItemChecked(controls::OptionsMenu, kMenuCompact, false);
    }
    rebuildOptionSummary(program);
}

void showInformationBox(Program& program) {
    const std::wstring version =
        fileVersionText(program.system, program.state.SystemRoot + L"\\System32\\wimgapi.dll", kFileVersion, false);
    showMessageBox(program, {.title = L"프로그램 정보", .text = informationText(version)});
}

void dispatchEvent(Program& program, const Event& event) {
    switch (event.kind) {
        case EventKind::Control:
            if (event.window != controls::MainWindow) return;
            for (const Route& route : kRoutes) {
                if (event.control == route.control && event.code == route.code) {
                    route.handler(program, event);
                    return;
                }
            }
            return;
        case EventKind::Menu:
            toggleOptionsMenuItem(program, event.code);
            return;
        case EventKind::DropFiles:
            if (event.window == controls::MainWindow) handleDroppedFile(program, droppedFileName(event.files));
            return;
        case EventKind::Timer:
            if (event.window == controls::MainWindow && event.code == kCancelTimer) onCancelTimer(program);
            return;
        case EventKind::Close:
            onCloseRequest(program, event);
            return;
        case EventKind::Custom:
            onCustomEvent(program, event);
            return;
        case EventKind::CopyData:
            onHandOver(program, event);
            return;
        case EventKind::Key:
            return;  // only the message box takes its keys itself
    }
}

void runEventLoop(Program& program) {
    program.ui.acceptCopyData(controls::MainWindow);
    while (!program.quit) dispatchEvent(program, nextEvent(program));
}

}  // namespace halvora
