#include "app/program.hpp"

#include "app/after_install.hpp"
#include "app/event_loop.hpp"
#include "app/file_version.hpp"
#include "app/single_instance.hpp"
#include "base/paths.hpp"
#include "disks/esp_letters.hpp"
#include "install/imaging_callback.hpp"
#include "images/iso_mount.hpp"
#include "install/install_command.hpp"
#include "app/window_start.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

namespace {

void releaseResources(Program& program) {
    Toolkit& ui = program.ui;
    if (program.state.MainWindowCreated) unregisterImagingCallback(program);
    if (program.state.TaskbarProgress) {
        ui.releaseTaskbarProgress();
        program.state.TaskbarProgress = false;
    }
    releaseIsos(program);
    program.state.ExclusionList.clear();
    if (program.state.MainWindowCreated) {
        ui.destroyWindow(controls::MainWindow);
        program.state.MainWindowCreated = false;
    }
}

}  // namespace

void initialiseState(Program& program) {
    System& sys = program.system;
    AppState& s = program.state;
    s.SystemRoot = sys.environmentVariable(L"SYSTEMROOT").value_or(L"");
    s.SystemDrive = sys.environmentVariable(L"SYSTEMDRIVE").value_or(L"").substr(0, 2);
    s.ImagingLogPath = withTrailingBackslash(sys.tempPath()) + L"HalvoraWimGAPI.log";
    s.SettingsPath = folderPart(sys.modulePath()) + L"HLV_xSET.ini";
    s.TitleText = kTitlePrefix + fileVersionText(sys, s.SystemRoot + L"\\System32\\wimgapi.dll", kFileVersion, false);
}

int runProgram(Program& program) {
    initialiseState(program);
    std::unique_ptr<SystemHandle> instanceMutex;
    if (ensureSingleInstance(program.system, kInstanceMutexName, program.state.TitleText, instanceMutex) ==
        InstanceRole::HandedOver) {
        return kExitHandedOver;
    }
    mountEspVolumes(program);
    bool autoStart = false;
    const std::uint32_t created = buildMainWindow(program, autoStart);
    program.state.ExitCode = static_cast<std::int32_t>(created);
    if (created == 0) {
        if (autoStart) installCommand(program, true);
        runEventLoop(program);
    }
    // Every worker has posted its last event by now: the close request waits for them.
    joinFinishedWorker(program.applyThread);
    joinFinishedWorker(program.bootThread);
    joinFinishedWorker(program.searchThread);

    releaseResources(program);
    unmountEspLetters(program);
    if (program.state.AfterAction == kAfterShutdown || program.state.AfterAction == kAfterReboot) {
        requestShutdown(program, program.state.AfterAction == kAfterReboot);
    }
    return program.state.ExitCode.load();
}

int runProgram(System& system, Toolkit& toolkit) {
    Program program(system, toolkit);
    return runProgram(program);
}

}  // namespace halvora
