#include "app/event_loop.hpp"

#include <functional>
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

using Handler = std::function<void(Program&, const Event&)>;

struct Route {
    const char* control;
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

void onImageListClick(Program& program, const Event& event) {
    if (event.row < 0) return;
    program.ui.setText("ImageIndexEdit", program.ui.cell("ImageList", event.row, 0));
    program.ui.setText("DescriptionEdit", program.ui.cell("ImageList", event.row, 6));
}

Handler show(const char* panel) {
    return [panel](Program& program, const Event&) { showPanel(program, panel); };
}

Handler writeOption(const wchar_t* key, const char* check) {
    return [key, check](Program& program, const Event&) {
        writeSearchOption(program, key, program.ui.isChecked(check) ? 1 : 0);
    };
}

bool isLeftClick(const Event& e) { return e.code == kLeftClick; }
bool isDoubleClick(const Event& e) { return e.code == kDoubleClick; }

// Control events, matched in this order.
const std::vector<Route>& routes() {
    static const std::vector<Route> table = {
        {"ImageListSizeToggle", [](Program& p, const Event& e) { if (isLeftClick(e)) showPanel(p, "ImageListSizeToggle"); }},
        {"ImageColumnsToggle", [](Program& p, const Event& e) { if (isLeftClick(e)) onImageColumnsToggle(p, e); }},
        {"InfoMark", [](Program& p, const Event& e) { if (isLeftClick(e)) showInformationBox(p); }},
        {"InstallButton", [](Program& p, const Event&) { installCommand(p, false); }},
        {"ImageFileButton", [](Program& p, const Event&) { selectImageFile(p, L"", -1); }},
        {"SearchButton", [](Program& p, const Event&) { onSearchButton(p); }},
        {"SearchAgainButton", [](Program& p, const Event&) { onSearchAgain(p); }},
        {"ScanDepthSpin", [](Program& p, const Event& e) {
             if (e.code == kChange) writeSearchOption(p, L"ScanDepth", p.ui.spinValue("ScanDepthSpin"));
         }},
        {"OemButton", [](Program& p, const Event&) { setOemPath(p, L"", true); }},
        {"OemTreeButton", [](Program& p, const Event&) { setOemPath(p, L"", false); }},
        {"XmlButton", [](Program& p, const Event&) { setAnswerFile(p, L""); }},
        {"OemClearButton", [](Program& p, const Event&) { p.ui.setText("OemEdit", L""); }},
        {"XmlClearButton", [](Program& p, const Event&) { p.ui.setText("XmlEdit", L""); }},
        {"TargetButton", show("TargetPanel")},
        {"BootButton", show("BootPanel")},
        {"ReloadExclusionsButton", [](Program& p, const Event&) { readExclusionList(p); }},
        {"TargetRefreshButton", onRefresh},
        {"BootRefreshButton", onRefresh},
        {"TargetDoneButton", [](Program& p, const Event&) { onPickerDone(p, "TargetDriveList", "TargetRow"); }},
        {"BootClearButton", [](Program& p, const Event&) { clearBootLocation(p); }},
        {"BootDoneButton", [](Program& p, const Event&) { onPickerDone(p, "BootDriveList", "BootRow"); }},
        {"SearchDoneButton", [](Program& p, const Event&) { onSearchResultChosen(p); }},
        {"TargetCancelButton", show("MainPanel")},
        {"BootCancelButton", show("MainPanel")},
        {"SearchBackButton", [](Program& p, const Event&) { onSearchBack(p); }},
        {"ImageList", [](Program& p, const Event& e) { if (isLeftClick(e)) onImageListClick(p, e); }},
        {"TargetDriveList", [](Program& p, const Event& e) { if (isDoubleClick(e)) onPickerDone(p, "TargetDriveList", "TargetRow"); }},
        {"BootDriveList", [](Program& p, const Event& e) { if (isDoubleClick(e)) onPickerDone(p, "BootDriveList", "BootRow"); }},
        {"SearchResultList", [](Program& p, const Event& e) { if (isDoubleClick(e)) onSearchResultChosen(p); }},
        {"BootRepairButton", [](Program& p, const Event&) { bootRepairCommand(p); }},
        {"TargetFormatButton", [](Program& p, const Event&) { formatChosenDrive(p, "TargetRow"); }},
        {"BootFormatButton", [](Program& p, const Event&) { formatChosenDrive(p, "BootRow"); }},
        {"SkipOsDriveCheck", writeOption(L"ScanSkipOSDrive", "SkipOsDriveCheck")},
        {"IncludeIsoCheck", writeOption(L"ScanWithISO", "IncludeIsoCheck")},
        {"OptionsButton", [](Program& p, const Event&) { p.ui.showPopupMenu(kOptionsMenu, kMainWindow); }},
    };
    return table;
}

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
    showMessageBox(program, kMainWindow, L"프로그램 정보", informationText(version), kButtonsOk, kResultYes, 0,
                   kIconInformation, 0);
}

void dispatchEvent(Program& program, const Event& event) {
    switch (event.kind) {
        case EventKind::Control:
            if (event.window != kMainWindow) return;
            for (const auto& route : routes()) {
                if (event.control == route.control) {
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
