// The program's own message box on the win32 toolkit, in the probe's process: a Yes/No box with
// a countdown that nobody answers runs out on the real timer and answers with its default.

#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_toolkit.hpp"
#include "control_literal.hpp"
#include "probe_report.hpp"
#include "ui/message_box.hpp"
#include "ui/program_context.hpp"

namespace probe {

namespace {

using namespace halvora::testing_names;

const wchar_t* const kBoxTitle = L"카운트다운 확인";

// The default button's caption while the box is open, read from another thread as a person
// would see it.
std::wstring captionWhileOpen() {
    for (int tries = 0; tries < 100; ++tries) {
        if (HWND box = FindWindowW(nullptr, kBoxTitle); box && IsWindowVisible(box)) {
            if (HWND yes = findNamed(box, "MessageBoxYes")) {
                wchar_t text[64] = {};
                GetWindowTextW(yes, text, 64);
                return text;
            }
        }
        Sleep(20);
    }
    return L"";
}

}  // namespace

int checkCountdownBox() {
    halvora::win32::Win32System system;
    halvora::win32::Win32Toolkit ui(GetModuleHandleW(nullptr));
    check(ui.createWindow(halvora::controls::MainWindow, L"Halvora countdown check", {300, 200}, halvora::ControlName(),
                          halvora::kWindowMinimiseBox) == 0,
          "the owner window is created");
    ui.setVisible(halvora::controls::MainWindow, true);
    halvora::Program program(system, ui);
    program.state.SystemRoot = L"C:\\windows";

    std::wstring caption;
    std::thread watcher([&] { caption = captionWhileOpen(); });
    const ULONGLONG started = GetTickCount64();
    const int answer = halvora::showMessageBox(program, {.owner = halvora::controls::MainWindow,
                                                         .title = kBoxTitle,
                                                         .text = L"아무도 답하지 않습니다.",
                                                         .buttons = halvora::kButtonsYesNo,
                                                         .defaultResult = halvora::kResultYes,
                                                         .countdownSeconds = 2,
                                                         .icon = halvora::kIconWarning});
    const ULONGLONG took = GetTickCount64() - started;
    watcher.join();
    check(caption == L"Yes (2)", "the default button counts down from \"Yes (2)\"",
          "it read \"" + utf8(caption) + "\"");
    check(answer == halvora::kResultYes, "a Yes/No box nobody answers gives its default, Yes, when the time runs out",
          "it gave " + std::to_string(answer));
    check(took >= 1500 && took < 10000, "it ran out after its 2 seconds", std::to_string(took) + " ms");
    check(
        FindWindowW(nullptr, kBoxTitle) == nullptr && IsWindowEnabled(FindWindowW(nullptr, L"Halvora countdown check")),
        "the box is gone and its owner enabled again");
    ui.destroyWindow(halvora::controls::MainWindow);
    return failures;
}

}  // namespace probe
