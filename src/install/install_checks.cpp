#include "install/install_checks.hpp"

#include "base/text.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_lists.hpp"
#include "disks/drive_row.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr int kConfirmCountdown = 5;
constexpr int kImageBytesColumn = 9;

// Nothing else may run; a busy state that no worker will end is cleared through the failure path.
bool nothingRuns(Program& program) {
    const AppState& s = program.state;
    const bool working = s.anyWorkerAlive() || s.Busy.load();
    if (working) {
        showStatus(program, L"작업이 진행 중입니다.");
        if (s.Busy.load() && !s.ApplyWorkerAlive.load()) postToMainWindow(program, kApplyFailed);
        return false;
    }
    if (s.CancelRequested.load()) {
        showStatus(program, L"에러 처리가 완료되지 않았습니다.");
        postToMainWindow(program, kApplyFailed);
        return false;
    }
    return true;
}

std::wstring usbWarning(Program& program) {
    const std::wstring bus = program.ui.cell("TargetRow", 0, kBusColumn);
    if (bus != L"7" && bus != L"12" && bus != L"13") return L"";
    if (program.ui.cell("TargetRow", 0, kDriveTypeColumn) == L"2") return L"\r\n*USB 에서의 설치 속도는 매우 느립니다.";
    return L"\r\n*외장 디스크는\r\n시스템 환경에 따라 설치 속도가 느려질 수 있습니다.";
}

}  // namespace

bool checkBeforeInstall(Program& program, bool automatic, std::wstring& note) {
    Toolkit& ui = program.ui;
    System& sys = program.system;
    note.clear();
    std::wstring summary;
    bool ok = true;

    const std::wstring imageFile = ui.text("ImageFileEdit");
    if (sys.fileSize(imageFile) <= 0) {
        ok = false;
        showStatus(program, imageFile.empty() ? L"설치 파일(Wim, Swm, ESD)을 지정 하세요." : L"설치 파일이 지정한 위치에 없습니다.");
    }
    if (!nothingRuns(program)) ok = false;

    const std::wstring indexText = ui.text("ImageIndexEdit");
    const long long index = parseLeadingInteger(trimSpaces(indexText));
    if (ok) {
        if (index > 0) {
            summary += L"이미지 번호 : " + indexText + L"\r\n";
        } else {
            ok = false;
            showStatus(program, L"Index 선택이 되어 있지 않습니다.");
        }
    }
    const std::wstring target = ui.cell("TargetRow", 0, kDriveColumn);
    if (ok) {
        if (!target.empty() && sys.folderExists(target)) {
            summary += L"설치 위치 : " + target + L"\r\n";
            if (equalsIgnoreCase(target, program.state.SystemDrive)) {
                ok = false;
                showStatus(program, L"선택한 설치 위치는 현재 사용 중인 시스템 드라이브 입니다.");
            }
        } else {
            ok = false;
            showStatus(program, L"윈도우를 설치 할 위치를 지정하세요.");
        }
    }
    if (ok) {
        refreshChosenRow(program, "TargetRow", "TargetDriveList");
        refreshChosenRow(program, "BootRow", "BootDriveList");
        const long long need = parseLeadingInteger(ui.cell("ImageList", static_cast<int>(index - 1), kImageBytesColumn));
        const long long free = parseLeadingInteger(ui.cell("TargetRow", 0, kFreeColumn));
        if (need > free) {
            ok = false;
            showStatus(program, L"설치 공간 부족.  설치 용량: " + std::to_wstring(need) + L"  남은 공간: " + std::to_wstring(free));
        }
    }
    if (ok) {
        const std::wstring boot = ui.cell("BootRow", 0, kDriveColumn);
        if (!boot.empty() && sys.folderExists(boot)) {
            summary += L"부팅 위치 : " + boot;
        } else {
            note += L"부팅 위치 생략(Bcdboot 생략). ";
        }
        note += bootLocationNote(program);
        summary += note;
        summary += usbWarning(program);
        const int answer = showMessageBox(program, kMainWindow, L"설치 확인", L"윈도우 설치를 시작합니다!\r\n" + summary,
                                          kButtonsYesNo, kResultNo, automatic ? kConfirmCountdown : 0, kIconInformation, 0);
        ok = answer == kResultYes;
    }
    return ok;
}

}  // namespace halvora
