#include "install/dropped_files.hpp"

#include "base/paths.hpp"
#include "base/text.hpp"
#include "images/image_list.hpp"
#include "images/iso_image.hpp"
#include "ui/customisation_choice.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

std::wstring droppedFileName(const std::vector<std::wstring>& files) {
    return files.empty() ? std::wstring() : files.front();
}

void handleDroppedFile(Program& program, const std::wstring& name) {
    Toolkit& ui = program.ui;
    const AppState& s = program.state;
    if (s.anyWorkerAlive() || s.Busy.load() || !ui.isEnabled(controls::MainWindow) ||
        !ui.isVisible(controls::MainPanel) || name.empty()) {
        return;
    }
    if (ui.isMinimised(controls::MainWindow)) ui.restoreWindow(controls::MainWindow);

    const std::wstring fileName = toUpper(fileNamePart(name));
    if (fileName == L"AUTOUNATTEND.XML" || fileName == L"UNATTEND.XML") {
        setAnswerFile(program, name);
    } else if (fileName == L"$OEM$" && program.system.folderExists(name)) {
        setOemPath(program, name, true);
    }
    const std::wstring extension = fileExtension(name);
    if (extension == L"WIM" || extension == L"SWM" || extension == L"ESD" || extension == L"ISO") {
        selectImageFile(program, name, -1);
    }
}

}  // namespace halvora
