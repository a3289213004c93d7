#pragma once
// A person at the simulated machine, as a test plays one. Every action checks first that a
// person could do it (the control exists, is shown and can be used; the menu is open), does
// to the controls what the real action would (a click moves the focus, a check box toggles),
// posts the event the program would get, and then waits until the interface thread has dealt
// with it and is idle again. An action that cannot be done returns false and says why in
// lastError().

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

inline constexpr std::chrono::milliseconds kDefaultWait{60000};

class ScriptedUser {
public:
    explicit ScriptedUser(SimToolkit& toolkit);

    SimToolkit& toolkit() { return toolkit_; }
    const std::string& lastError() const { return lastError_; }
    // How long each action waits for the interface thread to become idle again.
    void setWaitTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // --- mouse and keyboard -----------------------------------------------------------------
    bool click(const std::string& control);  // buttons, click labels, check boxes, ...
    bool clickRow(const std::string& list, int row);
    bool doubleClickRow(const std::string& list, int row);
    bool doubleClickEmpty(const std::string& list);  // below the last row: no row, no selection
    bool setSpin(const std::string& spin, int value);
    bool typeText(const std::string& edit, const std::wstring& text);  // replaces the text
    bool chooseComboItem(const std::string& combo, int index);         // posts CBN_SELCHANGE
    bool chooseMenuItem(const std::string& menu, int id);
    bool dismissMenu(const std::string& menu);  // Esc: the menu closes, nothing is chosen
    bool dropFiles(const std::string& window, const std::vector<std::wstring>& files);
    bool requestClose(const std::string& window);  // the close box or Alt+F4
    // A key (kKeyEnter, kKeyEscape, kKeyTab, kKeySpace, kKeyLeft, kKeyRight, kKeyUp, kKeyDown)
    // pressed in the window in front: the last one shown that is still visible and enabled (an
    // open message box, else the main window). A window that takes its keys (kWindowTakesKeys)
    // gets a Key event; in any other window Enter and Esc do nothing, as a dialog's IDOK and
    // IDCANCEL without such buttons, Space presses the focused button or check box, and focus
    // moves by Tab and the arrows are not modelled.
    bool pressKey(int key, bool shift = false);
    std::string windowInFront();  // "" when no window is shown

    // The answer to the next file or folder dialog the program opens: a path, or "" to cancel.
    // Given before the action that opens the dialog, as the dialog blocks the program.
    void answerNextDialog(const std::wstring& answer) { toolkit_.queueDialogAnswer(answer); }
    // The answer to the next format dialog: format with that file system ("" keeps the current
    // one) and label, or cancel. Given before the action that opens it, as for the file dialogs.
    void answerNextFormat(bool format, std::wstring fileSystem = L"", std::wstring label = L"") {
        toolkit_.queueFormatAnswer(FormatAnswer{format, std::move(fileSystem), std::move(label)});
    }

    // --- other programs and time ------------------------------------------------------------
    // A message from a worker thread to the main window.
    bool postCustom(int code, std::uint64_t wparam = 0, std::int64_t lparam = 0);
    // WM_COPYDATA from another process to the window with `title`, through the machine as
    // SimSystem::sendCopyData sends it. `data` may be null with any claimed size.
    std::intptr_t sendCopyData(const std::wstring& title, const void* data, std::uint32_t size);
    // Lets virtual time pass. Each timer that falls due fires in time order, and the program
    // has handled each before the clock moves on.
    bool advance(std::uint64_t milliseconds);

    // --- waiting and looking ----------------------------------------------------------------
    bool waitIdle(std::chrono::milliseconds timeout = kDefaultWait);
    bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout = kDefaultWait);
    bool windowExists(const std::string& window);

private:
    // Whether a person could use `control` now; sets lastError when not.
    bool usable(const std::string& control);
    bool usableWindow(const std::string& window);
    bool failure(const std::string& why);
    // Posts a control event and waits for the program to handle it.
    bool postControl(const std::string& control, int code, int row);
    bool rowAction(const std::string& list, int row, int code);  // select the row, then post
    bool post(const Event& event);

    SimToolkit& toolkit_;
    std::chrono::milliseconds timeout_ = kDefaultWait;
    std::string lastError_;
};

}  // namespace halvora::sim
