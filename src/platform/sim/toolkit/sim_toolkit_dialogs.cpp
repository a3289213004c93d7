// The file and folder dialogs of the sim toolkit: each is answered at once with the next answer
// the scripted user gave, and recorded in the machine's call log with what it was shown.

#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

void SimToolkit::queueDialogAnswer(const std::wstring& answer) {
    std::lock_guard lock(mutex_);
    dialogAnswers_.push_back(answer);
}

std::size_t SimToolkit::queuedDialogAnswers() {
    std::lock_guard lock(mutex_);
    return dialogAnswers_.size();
}

namespace {}  // namespace

std::wstring SimToolkit::takeDialogAnswer(const std::string& owner, const char* dialog) {
    std::lock_guard lock(mutex_);
    findWindow(owner, dialog);
    if (dialogAnswers_.empty()) {
        fault(std::string(dialog) + ": the dialog opened with no answer given for it");
        return L"";
    }
    std::wstring answer = dialogAnswers_.front();
    dialogAnswers_.pop_front();
    return answer;
}

std::wstring SimToolkit::openFileDialog(const ControlName& owner, const OpenFileRequest& request) {
    machine_->record(L"GetOpenFileNameW title=" + request.title + L" start=" + request.start + L" filter=" +
                     request.filter + L" index=" + std::to_wstring(request.filterIndex) +
                     (request.keepCurrentFolder ? L" nochangedir" : L""));
    std::wstring chosen = takeDialogAnswer(owner, "openFileDialog");
    // Like GetOpenFileNameW, the dialog leaves the process in the chosen file's folder unless
    // asked not to.
    const std::size_t slash = chosen.find_last_of(L"\\/");
    if (!request.keepCurrentFolder && slash != std::wstring::npos) machine_->setCurrentFolder(chosen.substr(0, slash));
    return chosen;
}

std::wstring SimToolkit::pickFolder(const ControlName& owner, const FolderPickerRequest& request) {
    machine_->record(L"IFileOpenDialog default=" + request.defaultFolder + L" setFolder=" +
                     (request.setFolder ? L"1" : L"0") + L" options=" + hexText(request.options));
    return takeDialogAnswer(owner, "pickFolder");
}

std::wstring SimToolkit::browseForFolder(const ControlName& owner, const std::wstring& title,
                                         const std::wstring& start) {
    machine_->record(L"SHBrowseForFolderW title=" + title + L" start=" + start);
    return takeDialogAnswer(owner, "browseForFolder");
}

void SimToolkit::queueFormatAnswer(const FormatAnswer& answer) {
    std::lock_guard lock(mutex_);
    formatAnswers_.push_back(answer);
}

// SHFormatDrive: the person's queued answer decides. A format empties the volume's folder and
// gives it the chosen file system and label; it returns 0, the id of the last format.
std::uint32_t SimToolkit::formatDrive(const ControlName& owner, std::uint32_t drive, std::uint32_t formatId,
                                      std::uint32_t options) {
    constexpr std::uint32_t kCancelled = 0xFFFFFFFE;  // SHFMT_CANCEL
    constexpr std::uint32_t kCannotFormat = 0xFFFFFFFD;
    const wchar_t letter = drive < 26 ? static_cast<wchar_t>(L'A' + drive) : L'?';
    machine_->record(L"SHFormatDrive " + std::wstring(1, letter) + L": id=" + hexText(formatId) + L" options=" +
                     hexText(options));
    FormatAnswer answer;
    {
        std::lock_guard lock(mutex_);
        findWindow(owner, "formatDrive");
        if (formatAnswers_.empty()) {
            fault("formatDrive: the dialog opened with no answer given for it");
            return kCancelled;
        }
        answer = formatAnswers_.front();
        formatAnswers_.pop_front();
    }
    if (!answer.format) return kCancelled;
    return machine_->formatVolume(letter, answer.fileSystem, answer.label) ? 0 : kCannotFormat;
}

}  // namespace halvora::sim
