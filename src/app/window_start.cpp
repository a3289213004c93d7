#include "app/window_start.hpp"

#include "app/command_line.hpp"
#include "app/settings.hpp"
#include "disks/drive_lists.hpp"
#include "images/image_list.hpp"
#include "install/imaging_callback.hpp"
#include "ui/main_window.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

std::uint32_t buildMainWindow(Program& program, bool& autoStart) {
    autoStart = false;
    const std::uint32_t error = createMainWindow(program);
    if (error != 0) return error;

    Toolkit& ui = program.ui;
    AppState& s = program.state;
    loadSettings(program);
    if (!s.CompactSupported) ui.setMenuItemEnabled(controls::OptionsMenu, kMenuCompact, false);
    applyColours(program);
    rebuildDriveLists(program);
    setImageColumns(program, false);
    setSearchColumns(program);
    registerImagingCallback(program);
    s.TaskbarProgress = ui.createTaskbarProgress(controls::MainWindow);

    autoStart = parseCommandLine(program, L"", true);
    ui.setVisible(controls::MainWindow, true);
    return 0;
}

}  // namespace halvora
