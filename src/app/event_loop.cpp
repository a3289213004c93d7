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
    const char* control;
    int code;  // kLeftClick, kDoubleClick or kChange
    Handler handler;
};

void onImageColumnsToggle(Program& program, const Event&) {
    Toolkit& ui = program.ui;
    const bool full = ui.text("ImageColumnsToggle") == kToggleOff;
    setImageColumns(program, full);
    ui.setText("ImageColumnsToggle", full ? kToggleOn : kToggleOff);
}

void onRefresh(Program& program, const Event&) {
    Toolkit& ui = program.ui;
    ui.setEnabled("TargetRefreshButton", false);
    ui.setEnabled("BootRefreshButton", false);
    mountEspVolumes(program);
    rebuildDriveLists(program);
    ui.setEnabled("TargetRefreshButton", true);
    ui.setEnabled("BootRefreshButton", true);
}

void onPickerDone(Program& program, const std::string& list, const std::string& oneRow) {
    const int row = program.ui.selectedRow(list);
    if (row < 0) return;
    selectDriveRow(program, list, row, oneRow, 0, true);
    showPanel(program, "MainPanel");
}

void onTargetChosen(Program& program, const Event&) { onPickerDone(program, "TargetDriveList", "TargetRow"); }
void onBootChosen(Program& program, const Event&) { onPickerDone(program, "BootDriveList", "BootRow"); }

void onImageListClick(Program& program, const Event& event) {
    if (event.row < 0) return;
    program.ui.setText("ImageIndexEdit", program.ui.cell("ImageList", event.row, 0));
    program.ui.setText("DescriptionEdit", program.ui.cell("ImageList", event.row, 6));
}

void onSkipOsDriveCheck(Program& program, const Event&) {
    writeSearchOption(program, L"ScanSkipOSDrive", program.ui.isChecked("SkipOsDriveCheck") ? 1 : 0);
}

void onIncludeIsoCheck(Program& program, const Event&) {
    writeSearchOption(program, L"ScanWithISO", program.ui.isChecked("IncludeIsoCheck") ? 1 : 0);
}

void onScanDepthSpin(Program& program, const Event&) {
    writeSearchOption(program, L"ScanDepth", program.ui.spinValue("ScanDepthSpin"));
}

// Every control event the main window answers, by control and event type: buttons and check
// boxes report a left click, the click labels and the image list a left click, the pickers'
// lists and the search list a double click, the spin field a change. Anything else is ignored.
constexpr Route kRoutes[] = {
    {"ImageListSizeToggle", kLeftClick, [](Program& p, const Event&) { showPanel(p, "ImageListSizeToggle"); }},
    {"ImageColumnsToggle", kLeftClick, onImageColumnsToggle},
    {"InfoMark", kLeftClick, [](Program& p, const Event&) { showInformationBox(p); }},
    {"InstallButton", kLeftClick, [](Program& p, const Event&) { installCommand(p, false); }},
    {"ImageFileButton", kLeftClick, [](Program& p, const Event&) { selectImageFile(p, L"", -1); }},
    {"SearchButton", kLeftClick, [](Program& p, const Event&) { onSearchButton(p); }},
    {"SearchAgainButton", kLeftClick, [](Program& p, const Event&) { onSearchAgain(p); }},
    {"ScanDepthSpin", kChange, onScanDepthSpin},
    {"OemButton", kLeftClick, [](Program& p, const Event&) { setOemPath(p, L"", true); }},
    {"OemTreeButton", kLeftClick, [](Program& p, const Event&) { setOemPath(p, L"", false); }},
    {"XmlButton", kLeftClick, [](Program& p, const Event&) { setAnswerFile(p, L""); }},
    {"OemClearButton", kLeftClick, [](Program& p, const Event&) { p.ui.setText("OemEdit", L""); }},
    {"XmlClearButton", kLeftClick, [](Program& p, const Event&) { p.ui.setText("XmlEdit", L""); }},
    {"TargetButton", kLeftClick, [](Program& p, const Event&) { showPanel(p, "TargetPanel"); }},
    {"BootButton", kLeftClick, [](Program& p, const Event&) { showPanel(p, "BootPanel"); }},
    {"ReloadExclusionsButton", kLeftClick, [](Program& p, const Event&) { readExclusionList(p); }},
    {"TargetRefreshButton", kLeftClick, onRefresh},
    {"BootRefreshButton", kLeftClick, onRefresh},
    {"TargetDoneButton", kLeftClick, onTargetChosen},
    {"BootClearButton", kLeftClick, [](Program& p, const Event&) { clearBootLocation(p); }},
    {"BootDoneButton", kLeftClick, onBootChosen},
    {"SearchDoneButton", kLeftClick, [](Program& p, const Event&) { onSearchResultChosen(p); }},
    {"TargetCancelButton", kLeftClick, [](Program& p, const Event&) { showPanel(p, "MainPanel"); }},
    {"BootCancelButton", kLeftClick, [](Program& p, const Event&) { showPanel(p, "MainPanel"); }},
    {"SearchBackButton", kLeftClick, [](Program& p, const Event&) { onSearchBack(p); }},
    {"ImageList", kLeftClick, onImageListClick},
    {"TargetDriveList", kDoubleClick, onTargetChosen},
    {"BootDriveList", kDoubleClick, onBootChosen},
    {"SearchResultList", kDoubleClick, [](Program& p, const Event&) { onSearchResultChosen(p); }},
    {"BootRepairButton", kLeftClick, [](Program& p, const Event&) { bootRepairCommand(p); }},
    {"TargetFormatButton", kLeftClick, [](Program& p, const Event&) { formatChosenDrive(p, "TargetRow"); }},
    {"BootFormatButton", kLeftClick, [](Program& p, const Event&) { formatChosenDrive(p, "BootRow"); }},
    {"SkipOsDriveCheck", kLeftClick, onSkipOsDriveCheck},
    {"IncludeIsoCheck", kLeftClick, onIncludeIsoCheck},
    {"OptionsButton", kLeftClick, [](Program& p, const Event&) { p.ui.showPopupMenu(kOptionsMenu, kMainWindow); }},
};

void onCustomEvent(Program& program, const Event& event) {
    if (event.window != kMainWindow) return;
    if (event.code == kApplyFailed) onApplyFailed(program);
    if (event.code == kApplySucceeded) onApplySucceeded(program);
    if (event.code == kBootConfigDone) onBootConfigDone(program, event);
    if (event.code == kSearchFinished) onSearchFinished(program);
}

// A second start's arguments, taken up here rather than in the window procedure that received
// them, so that they never run in the middle of another handler (a box, a dialog, a menu).
void onHandOver(Program& program, const Event& event) {
    if (event.window != kMainWindow) return;
    const auto text = readHandOver(event.data.data(), static_cast<std::uint32_t>(event.data.size()));
    // An empty hand-over would make the parser fall back to this process's own arguments, so
    // it is refused like any other malformed one.
    if (!text || text->empty()) return;
    parseCommandLine(program, *text, false);
}

void onCloseRequest(Program& program, const Event& event) {
    if (event.window != kMainWindow) return;
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
    if (ui.isMenuItemChecked(kOptionsMenu, item)) {
        ui.setMenuItemChecked(kOptionsMenu, item, false);
    } else {
        ui.setMenuItemChecked(kOptionsMenu, item, true);
        if (item == kMenuCompact) ui.setMenuItemChecked(kOptionsMenu, kMenuWimBoot, false);
        if (item == kMenuWimBoot) ui.setMenuItemChecked(kOptionsMenu, kMenuCompact, false);
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
            if (event.window != kMainWindow) return;
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
            if (event.window == kMainWindow) handleDroppedFile(program, droppedFileName(event.files));
            return;
        case EventKind::Timer:
            if (event.window == kMainWindow && event.code == kCancelTimer) onCancelTimer(program);
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
    program.ui.acceptCopyData(kMainWindow);
    while (!program.quit) dispatchEvent(program, nextEvent(program));
}

}  // namespace halvora
