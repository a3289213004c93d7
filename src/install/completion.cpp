#include "install/completion.hpp"

#include "install/busy_state.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_line.hpp"

namespace halvora {

void onApplyFailed(Program& program) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    ui.setEnabled("InstallButton", false);
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
    ui.setText("InstallButton", L"설 치");
    showStatus(program, L"", kStatusTimeField);
    setBusy(program, false);
}

void onCancelTimer(Program& program) {
    program.ui.killTimer(kMainWindow, kCancelTimer);
    if (program.state.Busy.load() && program.state.CancelRequested.load()) program.ui.setEnabled("InstallButton", true);
}

}  // namespace halvora
