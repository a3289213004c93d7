#include "install/install_command.hpp"

#include "base/paths.hpp"
#include "images/image_file.hpp"
#include "images/split_set.hpp"
#include "images/wim_info.hpp"
#include "install/busy_state.hpp"
#include "install/completion.hpp"
#include "install/install_checks.hpp"
#include "install/installation_request.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr int kCancelTimerPeriod = 10000;
constexpr std::uint32_t kPostCloseInterval = 50;

struct ApplyJob {
    WimHandle image = 0;
    std::wstring target;
    std::uint32_t flags = 0;
};

void applyWorkerMain(Program& program, ApplyJob job) {
    ImagingLibrary& wim = program.system.imaging();
    const bool ok = wim.applyImage(job.image, job.target, job.flags);
    // A failure that came with no error message (a cancel, an image the library refused) still
    // has its code: the error box must not report a failed apply as code 0.
    if (!ok && program.state.ExitCode.load() == 0) {
        program.state.ExitCode = static_cast<std::int32_t>(wim.lastError());
    }
    // A cancel question still open would ask about an apply that has ended: close it (it then
    // answers 2, so no cancel is recorded) before the result reaches the interface thread.
    while (program.state.MessageBoxOpen.load()) {
        Event close;
        close.kind = EventKind::Close;
        close.window = controls::MessageBox;
        program.ui.postEvent(close);
        program.system.sleep(kPostCloseInterval);
    }
    postToMainWindow(program, ok ? kApplySucceeded : kApplyFailed);
    program.state.ApplyWorkerAlive = false;
}

void askToCancel(Program& program) {
    const int answer = showMessageBox(program, {.title = L"주 의",
                                                .text = L"설치를 중단 하시겠습니까?",
                                                .buttons = kButtonsYesNo,
                                                .defaultResult = kResultNo,
                                                .icon = kIconWarning});
    if (answer != kResultYes || !program.state.ApplyWorkerAlive.load()) return;
    program.ui.setEnabled(controls::InstallButton, false);
    program.ui.setTimer(controls::MainWindow, kCancelTimer, kCancelTimerPeriod);
    program.state.CancelRequested = true;
}

// Names the other parts of a split set for the apply. The parts were checked before the
// confirmation, but the person may have swapped a disc or removed a file while it waited: they
// are checked again, so that a set that is not whole stops here, before anything is written.
// False when one is missing or not of the set.
bool referenceSplitParts(Program& program, WimHandle file, const std::wstring& path) {
    WimInfoBytes bytes{};
    if (!program.system.imaging().getAttributes(file, bytes.data(), kWimInfoSize)) return true;
    const WimInfo info = decodeWimInfo(bytes);
    // The image file is open with the log already started, if "Log" asked for it.
    if (!acceptSplitSet(program, splitSetRefusal(program, path, info, false))) return false;
    for (unsigned part = 2; part <= info.TotalParts && info.TotalParts >= 2; ++part) {
        program.system.imaging().setReferenceFile(file, splitPartPath(path, part), kWimReferenceAppend);
    }
    return true;
}

// Opens, references and loads the image; false (nothing left open) when that fails.
bool prepareImage(Program& program, const InstallationRequest& request) {
    AppState& s = program.state;
    ImagingLibrary& wim = program.system.imaging();
    const InstallOptions& options = request.options;
    s.ImageFileHandle = openImageFile(program, request.imageFile,
                                      {.checkIntegrity = options.checkIntegrity, .log = options.imagingLog});
    // The file was fine when it was chosen. What keeps it from opening now (it is gone, another
    // program holds it) is said, or a confirmed installation would just not start.
    if (s.ImageFileHandle == 0) {
        showStatus(program, notAnImageText(request.imageFile, wim.lastError()));
        return false;
    }
    if (!referenceSplitParts(program, s.ImageFileHandle, request.imageFile)) return false;
    if (!wim.setTemporaryPath(s.ImageFileHandle, volumeRoot(request.target.drive))) {
        showStatus(program, L"임시 경로 설정 오류 발생: " + std::to_wstring(wim.lastError()) + L" " +
                                volumeRoot(request.target.drive));
        return false;
    }
    s.ImageHandle = wim.loadImage(s.ImageFileHandle, static_cast<std::uint32_t>(request.index));
    if (s.ImageHandle == 0) {
        showStatus(program, L"Image에 오류가 있습니다. 분할 파일이면 첫번째 파일을 선택하십시오.");
        return false;
    }
    return true;
}

bool startApplyWorker(Program& program, const InstallationRequest& request) {
    joinFinishedWorker(program.applyThread);
    ApplyJob job{program.state.ImageHandle.load(), volumeRoot(request.target.drive),
                 applyFlags(request.options, program.state.CompactSupported)};
    program.state.ApplyWorkerAlive = true;
    std::uint32_t error = 0;
    program.applyThread = program.system.startThread([&program, job] { applyWorkerMain(program, job); }, error);
    if (!program.applyThread) {
        program.state.ApplyWorkerAlive = false;
        showStatus(program, L"WimApply 쓰레드 생성 오류 발생: " + std::to_wstring(error));
        return false;
    }
    return true;
}

}  // namespace

std::uint32_t applyFlags(const InstallOptions& options, bool compactSupported) {
    std::uint32_t flags = 0;
    if (options.verify) flags |= kWimApplyVerify;
    if (options.compact && compactSupported) flags |= kWimApplyCompact;
    if (options.wimBoot) flags |= kWimApplyWimBoot;
    return flags;
}

void closeApplyHandles(Program& program, bool stopImagingLog) {
    AppState& s = program.state;
    ImagingLibrary& wim = program.system.imaging();
    if (const WimHandle image = s.ImageHandle.exchange(0)) wim.closeHandle(image);
    if (const WimHandle file = s.ImageFileHandle.exchange(0)) wim.closeHandle(file);
    if (stopImagingLog) wim.unregisterLogFile(s.ImagingLogPath);
}

void installCommand(Program& program, bool automatic) {
    AppState& s = program.state;
    Toolkit& ui = program.ui;
    if (s.ApplyWorkerAlive.load()) {
        askToCancel(program);
        return;
    }
    InstallationRequest request = readInstallationRequest(program, automatic);
    std::wstring note;
    const bool confirmed = checkBeforeInstall(program, request, note);
    // The steps that follow work from the kept request: the apply's end, the boot configuration,
    // the completion, and also the failure path that a refused start may set going. A request
    // that a running worker's later steps still need stays.
    if (!s.anyWorkerAlive()) keepRequest(program, request);
    if (!confirmed) return;
    setBusy(program, true);
    const bool stopImagingLog = request.options.imagingLog;
    if (!prepareImage(program, request)) {
        closeApplyHandles(program, stopImagingLog);
        setBusy(program, false);
        return;
    }
    // The status bar is made ready before the worker starts: its first progress message may
    // come at once, and must not be wiped out by this thread afterwards.
    if (s.TaskbarProgress) ui.setTaskbarProgress(0, 100);
    showStatus(program, L"", kStatusPercentField);
    showStatus(program, L"", kStatusTimeField);
    showStatus(program, L"진행... " + note);
    s.ApplyStartTime = program.system.secondsNow();
    s.ApplyErrorPath.set(L"");
    if (!startApplyWorker(program, request)) {
        closeApplyHandles(program, stopImagingLog);
        setBusy(program, false);
        return;
    }
    ui.setText(controls::InstallButton, L"취 소");
    ui.setEnabled(controls::InstallButton, true);
}

}  // namespace halvora
