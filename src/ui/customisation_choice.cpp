#include "ui/customisation_choice.hpp"

#include "base/paths.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr std::uint32_t kPickFolderOptions = 0x860;  // pick folders, file system only, path must exist
const std::wstring kOemAnswerFile = L"$$\\Panther\\unattend.xml";

// An answer file counts when it holds more than one byte.
bool isAnswerFile(System& system, const std::wstring& path) { return system.fileSize(path) > 1; }

// The first three characters of the program's own path: its drive's root.
std::wstring programDriveRoot(Program& program) { return program.system.modulePath().substr(0, 3); }

std::wstring imageFolder(Program& program) { return folderPart(program.ui.text(controls::ImageFileEdit)); }

}  // namespace

void setAnswerFile(Program& program, std::wstring file) {
    System& sys = program.system;
    Toolkit& ui = program.ui;
    if (file.empty()) {
        std::wstring start = programDriveRoot(program);
        if (const std::wstring folder = imageFolder(program); !folder.empty() && sys.folderExists(folder))
            start = folder;
        if (const std::wstring current = ui.text(controls::XmlEdit); isAnswerFile(sys, current)) start = current;
        OpenFileRequest request;
        request.title = L"파일 선택...";
        request.start = start;
        request.filter = L"unattend*.xml; autounattend*.xml|unattend*.xml;autounattend*.xml|";
        request.filterIndex = 0;
        request.keepCurrentFolder = true;
        file = ui.openFileDialog(controls::MainWindow, request);
    }
    if (!isAnswerFile(sys, file)) return;
    ui.setText(controls::XmlEdit, file);
    const std::wstring oem = ui.text(controls::OemEdit);
    if (oem.size() > 3 && isAnswerFile(sys, oem + kOemAnswerFile)) showStatus(program, kAnswerFileOverlapNote);
}

std::wstring pickFolder(Program& program, const ControlName& owner, const std::wstring& start) {
    FolderPickerRequest request;
    request.setFolder = !start.empty();
    request.defaultFolder = start.empty() ? program.system.currentDirectory() : start;
    request.options = kPickFolderOptions;
    std::wstring path = program.ui.pickFolder(owner, request);
    while (!path.empty() && path.back() == L' ') path.pop_back();
    return path;
}

void setOemPath(Program& program, std::wstring path, bool modern) {
    System& sys = program.system;
    Toolkit& ui = program.ui;
    if (path.empty()) {
        std::wstring start = programDriveRoot(program);
        if (const std::wstring folder = imageFolder(program); !folder.empty() && sys.folderExists(folder))
            start = folder;
        if (const std::wstring current = ui.text(controls::OemEdit); !current.empty() && sys.folderExists(current))
            start = current;
        path = modern ? pickFolder(program, controls::MainWindow, start)
                      : ui.browseForFolder(controls::MainWindow, L"$OEM$ 폴더 선택", start);
    }
    if (path.empty() || !sys.folderExists(path)) return;
    path = withTrailingBackslash(path);
    ui.setText(controls::OemEdit, path);
    if (ui.text(controls::XmlEdit).size() > 3 && isAnswerFile(sys, path + kOemAnswerFile)) {
        showStatus(program, kAnswerFileOverlapNote);
    }
}

}  // namespace halvora
