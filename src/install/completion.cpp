#include "install/completion.hpp"

#include "install/after_action_choice.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_lists.hpp"
#include "install/boot_config.hpp"
#include "install/busy_state.hpp"
#include "install/install_command.hpp"
#include "install/installation_request.hpp"
#include "install/oem_placement.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

void refreshBothRows(Program& program) {
    refreshChosenRow(program, controls::TargetRow, controls::TargetDriveList);
    refreshChosenRow(program, controls::BootRow, controls::BootDriveList);
}

void returnToIdle(Program& program) {
    program.state.ExitCode = 0;
    refreshBothRows(program);
    program.ui.setText(controls::InstallButton, L"설 치");
    setBusy(program, false);
}

void showRepairResult(Program& program, std::int64_t code) {
    const AppState& s = program.state;
    showStatus(program, s.BootLine);
    if (code == 0) {
        showMessageBox(program, {.title = L"알 림", .text = L"BCDBOOT를 이용한 부팅 설정 완료!"});
    } else {
        showMessageBox(program,
                       {.title = L"주 의", .text = L"BCDBOOT 오류 발생!\r\n" + s.BootLine, .icon = kIconWarning});
    }
}

// Whether the request that ends asked for the imaging log, which is then stopped. A boot repair
// opens no image but ends through the same step, so its request carries the option too.
bool keptImagingLog(const Program& program) {
    if (const InstallationRequest* installation = keptInstallation(program)) return installation->options.imagingLog;
    if (const BootRepairRequest* repair = keptBootRepair(program)) return repair->imagingLog;
    return false;
}

// The boot configuration of the installation or boot repair under way.
BootJob keptBootJob(const Program& program) {
    BootJob job;
    if (const InstallationRequest* installation = keptInstallation(program)) job = bootJobFor(*installation);
    if (const BootRepairRequest* repair = keptBootRepair(program)) job = bootJobFor(*repair);
    job.repair = program.state.BootRepairMode;
    return job;
}

}  // namespace

CompletionOutcome completionOutcome(int afterAction, std::int64_t bootResult, std::int32_t exitCode) {
    if (afterAction > kAfterFinish) return {false, 0};
    return {true, bootResult != 0 && exitCode == 0 ? static_cast<std::int32_t>(bootResult) : exitCode};
}

void onApplyFailed(Program& program) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    joinFinishedWorker(program.applyThread);
    ui.setEnabled(controls::InstallButton, false);
    closeApplyHandles(program, keptImagingLog(program));
    ui.killTimer(controls::MainWindow, kCancelTimer);
    const std::wstring line = s.CancelRequested.load() ? L"사용자 취소. 중단 완료. " : L"중단 완료. ";
    s.CancelRequested = false;
    const std::wstring code = std::to_wstring(s.ExitCode.load());
    showStatus(program, line + L"에러 코드: " + code);
    if (ui.isMinimised(controls::MainWindow)) ui.restoreWindow(controls::MainWindow);
    // The file the library failed on, when it named one, is what the person can act on.
    const std::wstring path = s.ApplyErrorPath.get();
    showMessageBox(program, {.title = L"에 러",
                             .text = line + L"\r\n에러 코드: " + code + (path.empty() ? L"" : L"\r\n" + path),
                             .icon = kIconError});
    s.ExitCode = 0;
    s.ApplyErrorPath.set(L"");
    s.BootRepairMode = false;
    refreshBothRows(program);
    ui.setText(controls::InstallButton, L"설 치");
    showStatus(program, L"", kStatusTimeField);
    setBusy(program, false);
}

void onApplySucceeded(Program& program) {
    AppState& s = program.state;
    joinFinishedWorker(program.applyThread);
    program.ui.setEnabled(controls::InstallButton, false);
    closeApplyHandles(program, keptImagingLog(program));
    s.CancelRequested = false;
    s.CompletionLine.clear();
    s.BootLine.clear();
    s.OemLine.clear();
    s.XmlLine.clear();
    if (!s.BootRepairMode) {
        const std::int64_t elapsed = program.system.secondsNow() - s.ApplyStartTime;
        s.ApplyStartTime = elapsed;
        showStatus(program,
                   L"완료 시간: " + std::to_wstring(elapsed / 60) + L"분 " + std::to_wstring(elapsed % 60) + L"초",
                   kStatusTimeField);
        s.CompletionLine = L"이미지 설치 완료.";
    }
    if (s.BootWorkerAlive.load()) return;
    std::uint32_t error = 0;
    if (!startBootWorker(program, keptBootJob(program), error)) {
        showStatus(program, L"BCDBOOT 쓰레드 생성 오류 발생: " + std::to_wstring(error));
        postToMainWindow(program, kBootConfigDone, kBootNotRun, error);
    }
}

void onBootConfigDone(Program& program, const Event& event) {
    AppState& s = program.state;
    joinFinishedWorker(program.bootThread);  // it has posted this event
    const std::int64_t code = event.lparam;
    const InstallationRequest* installation = keptInstallation(program);
    const BootRepairRequest* repair = keptBootRepair(program);
    const ChosenVolume none;
    const ChosenVolume& target = installation ? installation->target : repair ? repair->target : none;
    const ChosenVolume& boot = installation ? installation->boot : repair ? repair->boot : none;
    s.BootLine = bootResultText(event.wparam, code) + L" " + bootLocationNote(target.style, boot.bootType);
    s.AfterAction = kAfterReady;
    if (s.BootRepairMode) {
        showRepairResult(program, code);
    } else {
        const std::wstring oemFolder = installation ? installation->oemFolder : L"";
        const std::wstring answerFile = installation ? installation->answerFile : L"";
        s.OemLine = oemSummaryLine(!oemFolder.empty(), copyOemFolders(program, oemFolder, target.drive));
        s.XmlLine += answerFileSummaryLine(!answerFile.empty(), placeAnswerFile(program, answerFile, target.drive));
        showStatus(program, s.CompletionLine + L"  " + s.BootLine + L"  " + s.OemLine + L"  " + s.XmlLine);
        // The after-install choice is read only now: its list stays usable while the image is
        // applied, and the person may change their mind until the summary shows.
        confirmAfterAction(program, code,
                           s.CompletionLine + L"\r\n" + s.BootLine + L"\r\n" + s.OemLine + L"\r\n" + s.XmlLine);
    }
    s.BootRepairMode = false;
    const CompletionOutcome outcome = completionOutcome(s.AfterAction, code, s.ExitCode.load());
    if (!outcome.quit) {
        returnToIdle(program);
        return;
    }
    s.ExitCode = outcome.exitCode;
    program.quit = true;
}

void bootRepairCommand(Program& program) {
    AppState& s = program.state;
    if (s.anyWorkerAlive()) return;
    BootRepairRequest request = readBootRepairRequest(program);
    if (!checkBootRepair(program, request)) return;
    keepRequest(program, std::move(request));
    s.BootRepairMode = true;
    setBusy(program, true);
    postToMainWindow(program, kApplySucceeded);
}

void onCancelTimer(Program& program) {
    program.ui.killTimer(controls::MainWindow, kCancelTimer);
    if (program.state.Busy.load() && program.state.CancelRequested.load())
        program.ui.setEnabled(controls::InstallButton, true);
}

}  // namespace halvora
