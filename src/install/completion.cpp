#include "install/completion.hpp"

#include "install/after_action_choice.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_lists.hpp"
#include "install/boot_config.hpp"
#include "install/busy_state.hpp"
#include "install/install_command.hpp"
#include "install/oem_placement.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

void refreshBothRows(Program& program) {
    refreshChosenRow(program, "TargetRow", "TargetDriveList");
    refreshChosenRow(program, "BootRow", "BootDriveList");
}

void returnToIdle(Program& program) {
    program.state.ExitCode = 0;
    refreshBothRows(program);
    program.ui.setText("InstallButton", L"설 치");
    setBusy(program, false);
}

void showRepairResult(Program& program, std::int64_t code) {
    const AppState& s = program.state;
    showStatus(program, s.BootLine);
    if (code == 0) {
        showMessageBox(program, kMainWindow, L"알 림", L"BCDBOOT를 이용한 부팅 설정 완료!", kButtonsOk, kResultYes, 0,
                       kIconInformation, 0);
    } else {
        showMessageBox(program, kMainWindow, L"주 의", L"BCDBOOT 오류 발생!\r\n" + s.BootLine, kButtonsOk, kResultYes, 0,
                       kIconWarning, 0);
    }
}

}  // namespace

void onApplyFailed(Program& program) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    joinFinishedWorker(program.applyThread);
    ui.setEnabled("InstallButton", false);
    closeApplyHandles(program);
    ui.killTimer(kMainWindow, kCancelTimer);
    const std::wstring line = s.CancelRequested.load() ? L"사용자 취소. 중단 완료. " : L"중단 완료. ";
    s.CancelRequested = false;
    const std::wstring code = std::to_wstring(s.ExitCode.load());
    showStatus(program, line + L"에러 코드: " + code);
    if (ui.isMinimised(kMainWindow)) ui.restoreWindow(kMainWindow);
    showMessageBox(program, kMainWindow, L"에 러", line + L"\r\n에러 코드: " + code, kButtonsOk, kResultYes, 0,
                   kIconError, 0);
    s.ExitCode = 0;
    s.BootRepairMode = false;
    refreshBothRows(program);
    ui.setText("InstallButton", L"설 치");
    showStatus(program, L"", kStatusTimeField);
    setBusy(program, false);
}

void onApplySucceeded(Program& program) {
    AppState& s = program.state;
    joinFinishedWorker(program.applyThread);
    program.ui.setEnabled("InstallButton", false);
    closeApplyHandles(program);
    s.CancelRequested = false;
    s.CompletionLine.clear();
    s.BootLine.clear();
    s.OemLine.clear();
    s.XmlLine.clear();
    if (!s.BootRepairMode) {
        const std::int64_t elapsed = program.system.secondsNow() - s.ApplyStartTime;
        s.ApplyStartTime = elapsed;
        showStatus(program, L"완료 시간: " + std::to_wstring(elapsed / 60) + L"분 " + std::to_wstring(elapsed % 60) + L"초",
                   kStatusTimeField);
        s.CompletionLine = L"이미지 설치 완료.";
    }
    if (s.BootWorkerAlive.load()) return;
    std::uint32_t error = 0;
    if (!startBootWorker(program, error)) {
        showStatus(program, L"BCDBOOT 쓰레드 생성 오류 발생: " + std::to_wstring(error));
        postToMainWindow(program, kBootConfigDone, kBootNotRun, error);
    }
}

void onBootConfigDone(Program& program, const Event& event) {
    AppState& s = program.state;
    joinFinishedWorker(program.bootThread);  // it has posted this event
    const std::int64_t code = event.lparam;
    s.BootLine = bootResultText(event.wparam, code) + L" " + bootLocationNote(program);
    s.AfterAction = kAfterReady;
    if (s.BootRepairMode) {
        showRepairResult(program, code);
    } else {
        const std::wstring target = program.ui.cell("TargetRow", 0, 0);
        const int oem = copyOemFolders(program, program.ui.text("OemEdit"), target);
        if (oem > 0) s.OemLine = L"$OEM$: " + std::to_wstring(oem) + L".";
        const int xml = placeAnswerFile(program, program.ui.text("XmlEdit"), target);
        if (xml > 0) s.XmlLine += L"XML: " + std::to_wstring(xml) + L".";
        showStatus(program, s.CompletionLine + L"  " + s.BootLine + L"  " + s.OemLine + L"  " + s.XmlLine);
        confirmAfterAction(program, code,
                           s.CompletionLine + L"\r\n" + s.BootLine + L"\r\n" + s.OemLine + L"\r\n" + s.XmlLine);
    }
    s.BootRepairMode = false;
    if (s.AfterAction > kAfterFinish) {
        returnToIdle(program);
        return;
    }
    if (code != 0 && s.ExitCode.load() == 0) s.ExitCode = static_cast<std::int32_t>(code);
    program.quit = true;
}

void bootRepairCommand(Program& program) {
    AppState& s = program.state;
    if (s.anyWorkerAlive()) return;
    if (!checkBootRepair(program)) return;
    s.BootRepairMode = true;
    setBusy(program, true);
    postToMainWindow(program, kApplySucceeded);
}

void onCancelTimer(Program& program) {
    program.ui.killTimer(kMainWindow, kCancelTimer);
    if (program.state.Busy.load() && program.state.CancelRequested.load()) program.ui.setEnabled("InstallButton", true);
}

}  // namespace halvora
