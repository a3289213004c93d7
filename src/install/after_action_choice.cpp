#include "install/after_action_choice.hpp"

#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"

namespace halvora {

namespace {

constexpr int kErrorCountdownExtra = 5;

}  // namespace

AfterInstallBox afterInstallBox(int choice, std::int64_t bootResult) {
    AfterInstallBox box;
    switch (choice) {
        case kAfterShutdown:
            box = {L"시스템을 종료 합니다!", kButtonsYesNo, 7, kIconShutdown};
            break;
        case kAfterReboot:
            box = {L"시스템을 다시 시작 합니다!", kButtonsYesNo, 7, kIconShutdown};
            break;
        case kAfterFinish:
            box = {L"프로그램을 종료 합니다!", kButtonsYesNo, 5, kIconInformation};
            break;
        default:
            box = {L"알 림!", kButtonsOk, 0, kIconInformation};
            break;
    }
    if (bootResult != 0) {
        box.icon = kIconWarning;
        if (box.countdownSeconds != 0) box.countdownSeconds += kErrorCountdownExtra;
    }
    return box;
}

int afterActionFor(int choice, int answer) {
    return answer == kResultYes && choice >= kAfterShutdown && choice <= kAfterFinish ? choice : kAfterReady;
}

void confirmAfterAction(Program& program, std::int64_t bootResult, const std::wstring& summary) {
    Toolkit& ui = program.ui;
    if (ui.isMinimised(controls::MainWindow)) ui.restoreWindow(controls::MainWindow);
    const int choice = ui.comboSelection(controls::AfterInstallCombo);
    const AfterInstallBox box = afterInstallBox(choice, bootResult);
    const int answer = showMessageBox(program, {.title = box.title,
                                                .text = summary,
                                                .buttons = box.buttons,
                                                .defaultResult = kResultYes,
                                                .countdownSeconds = box.countdownSeconds,
                                                .icon = box.icon});
    program.state.AfterAction = afterActionFor(choice, answer);
}

}  // namespace halvora
