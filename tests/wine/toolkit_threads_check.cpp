// A worker thread filling lists the way the install-file search does (the first row icon, rows,
// cell colours) while the interface thread paints those same lists without pause. Every write
// from the worker is a message sent across threads, answered only when the interface thread
// looks at its queue; a lock held over such a send while the interface thread wants the same
// lock for painting leaves both waiting for ever. A watchdog turns such a hang into a failure
// and ends the probe, so the run goes on.

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/win32_toolkit.hpp"
#include "control_literal.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

using namespace halvora::testing_names;

using halvora::ControlKind;
using halvora::win32::Win32Toolkit;

constexpr int kRounds = 40;  // a fresh list each round: the first icon attaches the image list
constexpr int kRowsPerRound = 12;
constexpr DWORD kWatchdogMs = 60000;  // the whole check takes a few seconds when nothing hangs

// Ends the process when the check has not finished in time: a deadlocked interface thread can
// neither report nor return.
class Watchdog {
public:
    Watchdog() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] {
            if (WaitForSingleObject(done_.get(), kWatchdogMs) == WAIT_TIMEOUT) {
                check(false, "a worker filling lists while the interface thread paints them finishes",
                      "no end after " + std::to_string(kWatchdogMs / 1000) + " s, round " +
                          std::to_string(round.load()) + ": the two threads wait for each other");
                TerminateProcess(GetCurrentProcess(), 99);
            }
        });
    }
    ~Watchdog() {
        SetEvent(done_.get());
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    std::atomic<int> round{0};

private:
    halvora::win32::UniqueKernelHandle done_;
    std::thread thread_;
};

}  // namespace

int checkToolkitThreads() {
    Watchdog watchdog;
    Win32Toolkit ui(GetModuleHandleW(nullptr));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell32 = std::wstring(system) + L"\\shell32.dll";

    // One window for all rounds: under Wine with no window manager, hiding a top-level window
    // as it is destroyed now and then waits in the X11 driver, which is no fault of the program.
    const halvora::ControlName window{"ThreadWindow"};
    const std::wstring title = L"Halvora thread check";
    check(ui.createWindow(window, title, {420, 260}, halvora::ControlName(), 0) == 0,
          "the window of the thread check is created");
    ui.setVisible(window, true);
    HWND main = FindWindowW(nullptr, title.c_str());

    int listsWithIcons = 0;
    int paints = 0;
    const auto started = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        watchdog.round = round;
        const halvora::ControlName list("ThreadList" + std::to_string(round));
        ui.createControl({list, ControlKind::List, window, L"", {10, 10, 400, 240}, halvora::kFullRowSelect});
        ui.addColumn(list, L"경로", 250);
        ui.addColumn(list, L"크기", 100);
        HWND listWindow = findNamed(main, list);

        std::atomic<bool> finished{false};
        int icon = -1;
        std::thread worker([&] {
            // As the search does on its first find: the icon, then a row for each file.
            icon = ui.addListIcon(list, shell32, 3);
            for (int row = 0; row < kRowsPerRound; ++row) {
                const int at = ui.addRow(list, {L"S:\\sources\\install" + std::to_wstring(row) + L".wim", L"1 KB"});
                ui.setRowIcon(list, at, icon);
                ui.setCellColours(list, at, 1, 0x0000FF, 0xFFFFFF);
            }
            finished = true;
        });
        // The interface thread paints the list again and again (custom drawing looks up the
        // list's cell colours under the name lock) and answers the worker's messages between.
        while (!finished.load()) {
            RedrawWindow(listWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            ++paints;
            MSG msg{};
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        worker.join();
        if (icon >= 0 && ui.rowCount(list) == kRowsPerRound && ui.rowIcon(list, kRowsPerRound - 1) == icon &&
            ui.cellColours(list, 0, 1).first == 0x0000FF) {
            ++listsWithIcons;
        }
        ui.setVisible(list, false);  // the next round's list takes its place
    }
    ui.destroyWindow(window);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count() /
        1000.0;
    // Reaching this line at all is the first half of the check: the watchdog fails a hang.
    check(listsWithIcons == kRounds,
          "a worker filling " + std::to_string(kRounds) +
              " lists while the interface thread paints them finishes, and every list has its rows, row icons and "
              "cell colours",
          std::to_string(listsWithIcons) + " of " + std::to_string(kRounds));
    say("     (" + std::to_string(paints) + " paints in " + std::to_string(seconds) + " s)");
    return failures;
}

}  // namespace probe
