#include "install/boot_config.hpp"

#include "base/text.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr std::int64_t kMissingWindows = 87;
constexpr std::int64_t kNoBootLocation = 3;

void postBootDone(Program& program, std::uint64_t type, std::int64_t code) {
    postToMainWindow(program, kBootConfigDone, type, code);
}

// A BIOS store left on the install volume by an earlier Windows would keep its old entries;
// an installation that writes its own BIOS boot files there starts from an empty one.
void resetOldBiosStore(Program& program, const BootJob& job) {
    System& sys = program.system;
    const std::wstring store = job.target + L"\\boot\\bcd";
    if (!replacesOldBiosStore(job) || sys.fileSize(store) <= 0) return;
    const std::uint32_t attributes = sys.fileAttributes(store);
    if (attributes != kInvalidFileAttributes) {
        sys.setFileAttributes(store,
                              attributes & ~(kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem));
    }
    sys.deleteFile(store);
}

void runBcdboot(Program& program, BootJob job) {
    System& sys = program.system;
    if (!sys.folderExists(job.target)) {
        postBootDone(program, kBootNotRun, kMissingWindows);
    } else if (job.boot.empty() || !sys.folderExists(job.boot)) {
        postBootDone(program, kBootNotRun, kNoBootLocation);
    } else {
        resetOldBiosStore(program, job);
        const std::wstring arguments = bcdbootArguments(job);
        showStatus(program, L"Bcdboot " + arguments);
        // By its full path: an elevated program must not pick up a Bcdboot.exe planted in its
        // own or the current folder.
        const std::wstring program32 = sys.systemDirectory() + L"\\Bcdboot.exe";
        const ProgramRun run =
            sys.runHiddenProgram(L"\"" + program32 + L"\" " + arguments, program.state.SystemRoot + L"\\System32");
        if (run.started) {
            postBootDone(program, kBootRan, run.exitCode);
        } else {
            postBootDone(program, kBootNotRun, run.error);
        }
    }
    program.state.BootWorkerAlive = false;
}

BootJob bootJobOf(const ChosenVolume& target, const ChosenVolume& boot, const BootSettings& settings, bool repair) {
    BootJob job;
    job.target = target.drive;
    job.boot = boot.drive;
    job.locale = settings.locale;
    job.firmware = settings.firmware;
    job.keepDefaultEntry = settings.keepBootEntries;
    job.repair = repair;
    return job;
}

}  // namespace

BootJob bootJobFor(const InstallationRequest& request) {
    return bootJobOf(request.target, request.boot, request.bootSettings, false);
}

BootJob bootJobFor(const BootRepairRequest& request) {
    return bootJobOf(request.target, request.boot, request.bootSettings, true);
}

std::wstring bcdbootArguments(const BootJob& job) {
    std::wstring arguments = job.target + L"\\Windows";
    if (job.locale.size() > 3) arguments += L" /l " + job.locale;
    arguments += L" /s " + job.boot;
    if (job.firmware.size() > 2) arguments += L" /f " + job.firmware;
    if (job.keepDefaultEntry) arguments += L" /d";
    return arguments;
}

bool replacesOldBiosStore(const BootJob& job) {
    if (job.keepDefaultEntry || job.repair || job.target != job.boot) return false;
    const std::wstring firmware = toUpper(job.firmware);
    return firmware == L"BIOS" || firmware == L"ALL";
}

bool startBootWorker(Program& program, const BootJob& job, std::uint32_t& error) {
    joinFinishedWorker(program.bootThread);  // it has posted its result
    program.state.BootWorkerAlive = true;
    program.bootThread = program.system.startThread([&program, job] { runBcdboot(program, job); }, error);
    if (!program.bootThread) {
        program.state.BootWorkerAlive = false;
        return false;
    }
    return true;
}

std::wstring bootResultText(std::uint64_t type, std::int64_t code) {
    const std::wstring number = std::to_wstring(code);
    if (code == 0) return L"BCDBOOT 성공.";
    if (type == kBootRan) {
        return code == 193 ? L"*BCDBOOT 부팅 파일 복사 오류: " + number + L"." : L"*BCDBOOT 오류: " + number + L".";
    }
    switch (code) {
        case 2:
            return L"*BCDBOOT 실행 파일 오류.";
        case kNoBootLocation:
            return L"*부팅 위치 생략.";
        case kMissingWindows:
            return L"*Windows 시스템 루트 설정을 확인 하십시오.";
        default:
            return L"*BCDBOOT 실행 오류: " + number + L".";
    }
}

std::wstring bootRepairRefusal(const BootRepairRequest& request, bool bootExists, bool windowsBootExists) {
    if (request.boot.drive.empty() || !bootExists) return L"부팅 위치가 지정되어야 합니다.";
    if (request.target.drive.size() <= 1) return L"설치 위치가 지정되어야 합니다.";
    if (!windowsBootExists) return L"윈도우가 설치 위치에 정상적으로 설치 되어 있어야 합니다.";
    if (request.boot.bootType != L"ESP" && request.boot.bootType != L"ACT")
        return L"부팅 위치가 ESP 혹은 ACT 가 아닙니다.";
    return L"";
}

bool repairsRunningSystemDisk(const BootRepairRequest& request, const std::wstring& systemDrive) {
    return equalsIgnoreCase(request.target.drive, systemDrive) && request.boot.disk == request.target.disk;
}

bool checkBootRepair(Program& program, const BootRepairRequest& request) {
    System& sys = program.system;
    if (program.state.Busy.load()) return false;
    // Each folder is looked for only when the checks before it passed.
    const bool bootExists = !request.boot.drive.empty() && sys.folderExists(request.boot.drive);
    const bool windowsBootExists =
        bootExists && request.target.drive.size() > 1 && sys.folderExists(request.target.drive + L"\\Windows\\Boot");
    if (const std::wstring refusal = bootRepairRefusal(request, bootExists, windowsBootExists); !refusal.empty()) {
        showStatus(program, refusal);
        return false;
    }
    const int answer =
        repairsRunningSystemDisk(request, program.state.SystemDrive)
            ? showMessageBox(program,
                             {.title = L"BCDBOOT 부팅 설정 복구",
                              .text = L"선택한 부팅 위치는\r\n현재 시스템 드라이브와 같은 디스크에 있습니다!\r\n"
                                      L"부팅 설정 복구를 시작할까요?",
                              .buttons = kButtonsYesNo,
                              .defaultResult = kResultNo,
                              .icon = kIconWarning})
            : showMessageBox(program, {.title = L"BCDBOOT 부팅 설정 복구",
                                       .text = L"부팅 설정 복구를 시작합니다!",
                                       .buttons = kButtonsYesNo,
                                       .defaultResult = kResultNo});
    return answer == kResultYes;
}

}  // namespace halvora
