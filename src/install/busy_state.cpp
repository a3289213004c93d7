#include "install/busy_state.hpp"

#include "ui/main_window_layout.hpp"

namespace halvora {

void setBusy(Program& program, bool busy) {
    program.state.Busy = busy;
    for (const ControlName& control : {controls::InstallButton, controls::TitleBarPanel, controls::ImageList,
                                       controls::MainPanel, controls::BootPanel, controls::TargetPanel}) {
        program.ui.setEnabled(control, !busy);
    }
    program.ui.setProgress(controls::StatusBar, 0);
    if (program.state.TaskbarProgress) program.ui.clearTaskbarProgress();
}

}  // namespace halvora
