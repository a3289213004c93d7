#include "install/install_checks.hpp"

#include "base/text.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_lists.hpp"
#include "images/split_set.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr int kConfirmCountdown = 5;

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

// The free space and partition style are measured again just before the apply: the volume may
// have changed since it was chosen. Only the rows change; the rest of the request stays.
void refreshChosenVolumes(Program& program, InstallationRequest& request) {
    refreshChosenRow(program, controls::TargetRow, controls::TargetDriveList);
    refreshChosenRow(program, controls::BootRow, controls::BootDriveList);
    request.target = readChosenVolume(program, controls::TargetRow);
    request.boot = readChosenVolume(program, controls::BootRow);
}

// Shows a refusal; true when there was none.
bool passes(Program& program, const std::wstring& refusal) {
    if (refusal.empty()) return true;
    showStatus(program, refusal);
    return false;
}

}  // namespace

bool acceptSplitSet(Program& program, const std::wstring& refusal) {
    if (refusal.empty()) return true;
    showStatus(program, refusal);
    showMessageBox(program, {.title = L"에 러", .text = refusal, .icon = kIconError});
    return false;
}

std::wstring imageFileRefusal(const InstallationRequest& request, std::int64_t imageFileSize) {
    if (imageFileSize > 0) return L"";
    return request.imageFile.empty() ? L"설치 파일(Wim, Swm, ESD)을 지정 하세요."
                                     : L"설치 파일이 지정한 위치에 없습니다.";
}

std::wstring indexRefusal(const InstallationRequest& request) {
    return request.index > 0 ? L"" : L"Index 선택이 되어 있지 않습니다.";
}

std::wstring targetRefusal(const InstallationRequest& request, bool targetExists, const std::wstring& systemDrive) {
    if (request.target.drive.empty() || !targetExists) return L"윈도우를 설치 할 위치를 지정하세요.";
    if (equalsIgnoreCase(request.target.drive, systemDrive))
        return L"선택한 설치 위치는 현재 사용 중인 시스템 드라이브 입니다.";
    return L"";
}

std::wstring spaceRefusal(const InstallationRequest& request) {
    if (request.imageBytes <= request.target.freeBytes) return L"";
    return L"설치 공간 부족.  설치 용량: " + std::to_wstring(request.imageBytes) + L"  남은 공간: " +
           std::to_wstring(request.target.freeBytes);
}

std::wstring bootNote(const InstallationRequest& request, bool bootExists) {
    std::wstring note = bootExists ? L"" : L"부팅 위치 생략(Bcdboot 생략). ";
    return note + bootLocationNote(request.target.style, request.boot.bootType);
}

std::wstring externalDiskWarning(const ChosenVolume& target) {
    if (target.bus != L"7" && target.bus != L"12" && target.bus != L"13") return L"";
    if (target.driveType == L"2") return L"\r\n*USB 에서의 설치 속도는 매우 느립니다.";
    return L"\r\n*외장 디스크는\r\n시스템 환경에 따라 설치 속도가 느려질 수 있습니다.";
}

std::wstring confirmationText(const InstallationRequest& request, bool bootExists) {
    std::wstring text = L"윈도우 설치를 시작합니다!\r\n";
    text += L"이미지 번호 : " + request.indexText + L"\r\n";
    text += L"설치 위치 : " + request.target.drive + L"\r\n";
    if (bootExists) text += L"부팅 위치 : " + request.boot.drive;
    text += bootNote(request, bootExists);
    text += externalDiskWarning(request.target);
    return text;
}

int confirmationCountdown(const InstallationRequest& request) { return request.automatic ? kConfirmCountdown : 0; }

bool checkBeforeInstall(Program& program, InstallationRequest& request, std::wstring& note) {
    System& sys = program.system;
    note.clear();
    // Every check runs only while the ones before it passed, except that a busy program is
    // reported also when the image file is missing.
    bool ok = passes(program, imageFileRefusal(request, sys.fileSize(request.imageFile)));
    if (!nothingRuns(program)) ok = false;
    ok = ok && passes(program, indexRefusal(request));
    if (ok) {
        const bool targetExists = !request.target.drive.empty() && sys.folderExists(request.target.drive);
        ok = passes(program, targetRefusal(request, targetExists, program.state.SystemDrive));
    }
    if (ok) {
        refreshChosenVolumes(program, request);
        ok = passes(program, spaceRefusal(request));
    }
    // A split set whose parts are not all there would fail only once the apply reached the
    // missing data, with part of the image already written: it is refused before anything starts.
    if (ok) ok = acceptSplitSet(program, splitSetRefusal(program, request.imageFile, request.options.imagingLog));
    if (ok) {
        const bool bootExists = !request.boot.drive.empty() && sys.folderExists(request.boot.drive);
        note = bootNote(request, bootExists);
        const int answer = showMessageBox(program, {.title = L"설치 확인",
                                                    .text = confirmationText(request, bootExists),
                                                    .buttons = kButtonsYesNo,
                                                    .defaultResult = kResultNo,
                                                    .countdownSeconds = confirmationCountdown(request)});
        ok = answer == kResultYes;
    }
    return ok;
}

}  // namespace halvora
