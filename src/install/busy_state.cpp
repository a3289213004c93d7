#include "install/busy_state.hpp"

#include "ui/main_window_layout.hpp"

namespace halvora {

void setBusy(Program& program, bool busy) {
    program.state.Busy = busy;
    for (const char* control : {"InstallButton", "TitleBarPanel", "ImageList", "MainPanel", "BootPanel", "TargetPanel"}) {
        program.ui.setEnabled(control, !busy);
    }
    program.ui.setProgress(kStatusBar, 0);
    if (program.state.TaskbarProgress) program.ui.clearTaskbarProgress();
}

}  // namespace halvora
