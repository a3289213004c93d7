#include "install/after_action_choice.hpp"

#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"

namespace halvora {

namespace {

constexpr int kErrorCountdownExtra = 5;

struct AfterBox {
    const wchar_t* title;
    int buttons;
    int countdown;
    int icon;
};

AfterBox boxFor(int choice) {
    switch (choice) {
        case kAfterShutdown: return {L"시스템을 종료 합니다!", kButtonsYesNo, 7, kIconShutdown};
        case kAfterReboot: return {L"시스템을 다시 시작 합니다!", kButtonsYesNo, 7, kIconShutdown};
        case kAfterFinish: return {L"프로그램을 종료 합니다!", kButtonsYesNo, 5, kIconInformation};
        default: return {L"알 림!", kButtonsOk, 0, kIconInformation};
    }
}

}  // namespace

void confirmAfterAction(Program& program, std::int64_t bootResult, const std::wstring& summary) {
    Toolkit& ui = program.ui;
    if (ui.isMinimised(kMainWindow)) ui.restoreWindow(kMainWindow);
    const int choice = ui.comboSelection("AfterInstallCombo");
    AfterBox box = boxFor(choice);
    if (bootResult != 0) {
        box.icon = kIconWarning;
        if (box.countdown != 0) box.countdown += kErrorCountdownExtra;
    }
    const int answer = showMessageBox(program, kMainWindow, box.title, summary, box.buttons, kResultYes, box.countdown,
                                      box.icon, 0);
    program.state.AfterAction = answer == kResultYes && choice >= kAfterShutdown && choice <= kAfterFinish ? choice : kAfterReady;
}

}  // namespace halvora
