// The win32 toolkit run inside the probe, against real windows and controls: what the program
// writes is what it reads back, and window messages arrive as the program's events.

#include <windows.h>
#include <commctrl.h>

#include <thread>
#include <vector>

#include "platform/win32/win32_toolkit.hpp"
#include "control_literal.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

using namespace halvora::testing_names;

using halvora::ControlKind;
using halvora::Event;
using halvora::EventKind;
using halvora::win32::Win32Toolkit;

const halvora::ControlName kWindow{"MainWindow"};
constexpr int kSentinel = 0x7A11;  // a posted event that marks the end of a batch
// Messages posted as a worker posts them, in the program's own range.
constexpr int kWorkerMessage = 0x949C;
constexpr int kOtherWorkerMessage = 0x949D;
constexpr int kWatchdogTimer = 999;  // ends a wait that would otherwise never return

HWND childNamed(HWND parent, const std::string& name) { return findNamed(parent, name); }

// The events up to the sentinel, which is posted after whatever `act` sets off. The sentinel is
// a window message, so it queues up behind the messages that `act` posted.
std::vector<Event> eventsOf(Win32Toolkit& ui, HWND main, const std::function<void()>& act) {
    act();
    PostMessageW(main, kWorkerMessage, kSentinel, 0);
    ui.setTimer(kWindow, kWatchdogTimer, 5000);
    std::vector<Event> events;
    for (;;) {
        Event e = ui.waitEvent();
        if (e.kind == EventKind::Custom && e.code == kWorkerMessage && e.wparam == kSentinel) break;
        if (e.kind == EventKind::Timer && e.code == kWatchdogTimer) {
            say("     (no sentinel after 5 s)");
            break;
        }
        events.push_back(e);
    }
    ui.killTimer(kWindow, kWatchdogTimer);
    return events;
}

bool isControlEvent(const std::vector<Event>& events, const halvora::ControlName& control, int code) {
    return events.size() == 1 && events[0].kind == EventKind::Control && events[0].control == control &&
           events[0].code == code && events[0].window == kWindow;
}

void checkControlState(Win32Toolkit& ui) {
    ui.setText("Edit"_c, L"한글 text");
    check(ui.text("Edit"_c) == L"한글 text", "a control's text reads back as written");
    check(ui.rect("Button"_c) == halvora::Rect{10, 10, 90, 20},
          "a control's rectangle is the layout's, relative to its panel",
          std::to_string(ui.rect("Button"_c).x) + "," + std::to_string(ui.rect("Button"_c).y));
    ui.setRect("Button"_c, {20, 12, 100, 25});
    check(ui.rect("Button"_c) == halvora::Rect{20, 12, 100, 25}, "setRect moves and sizes the control");

    ui.setVisible("Panel"_c, false);
    check(!ui.isVisible("Panel"_c) && ui.isVisible("Button"_c), "isVisible is a control's own flag, not its panel's");
    ui.setVisible("Panel"_c, true);
    ui.setEnabled("Button"_c, false);
    check(!ui.isEnabled("Button"_c), "setEnabled(false) disables a control");
    ui.setEnabled("Button"_c, true);
    ui.setChecked("Check"_c, true);
    check(ui.isChecked("Check"_c), "setChecked checks a check box");

    ui.addComboItem("Combo"_c, L"시스템 종료");
    ui.addComboItem("Combo"_c, L"다시 부팅");
    ui.addComboItem("Combo"_c, L"대기");
    ui.setComboSelection("Combo"_c, 2);
    check(ui.comboCount("Combo"_c) == 3 && ui.comboItem("Combo"_c, 1) == L"다시 부팅" &&
              ui.comboSelection("Combo"_c) == 2 && ui.text("Combo"_c) == L"대기",
          "combo items, selection and the text it shows");

    ui.setSpinRange("Spin"_c, 1, 4);
    ui.setSpinValue("Spin"_c, 3);
    check(ui.spinValue("Spin"_c) == 3 && ui.text("Spin"_c) == L"3", "setSpinValue shows the value in the field");
    ui.setSpinValue("Spin"_c, 9);
    check(ui.spinValue("Spin"_c) == 4, "the spin value stays within its range", std::to_string(ui.spinValue("Spin"_c)));

    ui.setStatusFields("Status"_c, {60, 110, -1});
    ui.setStatusText("Status"_c, 2, L"상태 표시");
    ui.setProgress("Status"_c, 40);
    check(ui.statusText("Status"_c, 2) == L"상태 표시" && ui.progress("Status"_c) == 40,
          "status text and progress read back");

    const halvora::Size one = ui.measureText("Label"_c, L"abc");
    const halvora::Size longer = ui.measureText("Label"_c, L"abcabc");
    const halvora::Size two = ui.measureText("Label"_c, L"abc\r\nabc");
    check(one.w > 0 && longer.w > one.w && two.h > one.h && two.w == one.w,
          "measureText grows with the text and honours line breaks",
          std::to_string(one.w) + "x" + std::to_string(one.h) + ", two lines " + std::to_string(two.w) + "x" +
              std::to_string(two.h));
    check(ui.fontInstalled(L"NanumGothicCoding") && !ui.fontInstalled(L"Halvora No Such Font"),
          "fontInstalled finds an installed face and not a made-up one");

    ui.createPopupMenu("Menu"_c, {{1, L"하나"}, {0, L""}, {2, L"둘"}});
    ui.setMenuItemChecked("Menu"_c, 2, true);
    ui.setMenuItemEnabled("Menu"_c, 1, false);
    check(ui.isMenuItemChecked("Menu"_c, 2) && !ui.isMenuItemChecked("Menu"_c, 1) &&
              !ui.isMenuItemEnabled("Menu"_c, 1) && ui.isMenuItemEnabled("Menu"_c, 2),
          "menu items keep their checked and enabled states");

    ui.setFocus("Edit"_c);
    check(ui.focused(kWindow) == "Edit"_c, "focused names the control with the keyboard focus", ui.focused(kWindow));
}

void checkLists(Win32Toolkit& ui) {
    ui.addColumn("List"_c, L"경로", 200);
    ui.addColumn("List"_c, L"크기", 80);
    ui.addColumn("List"_c, L"Type", 0);
    ui.setColumnAlignment("List"_c, 1, halvora::ColumnAlign::Right);
    ui.setColumnAlignment("List"_c, 2, halvora::ColumnAlign::Centre);
    check(ui.columnCount("List"_c) == 3 && ui.columnTitle("List"_c, 1) == L"크기" &&
              ui.columnWidth("List"_c, 0) == 200 && ui.columnWidth("List"_c, 2) == 0 &&
              ui.columnAlignment("List"_c, 1) == halvora::ColumnAlign::Right &&
              ui.columnAlignment("List"_c, 2) == halvora::ColumnAlign::Centre &&
              ui.columnAlignment("List"_c, 0) == halvora::ColumnAlign::Left,
          "list columns: count, titles, widths, alignment");

    const int a = ui.addRow("List"_c, {L"C:\\a.wim", L"1 GB", L"WIM"});
    const int b = ui.addRow("List"_c, {L"D:\\b.esd", L"2 GB"});
    const int c = ui.addRow("List"_c, {L"E:\\c.swm"});
    ui.setCell("List"_c, c, 1, L"3 GB");
    check(a == 0 && b == 1 && c == 2 && ui.rowCount("List"_c) == 3 && ui.cell("List"_c, 1, 0) == L"D:\\b.esd" &&
              ui.cell("List"_c, 1, 2).empty() && ui.cell("List"_c, 2, 1) == L"3 GB",
          "rows are added at the end and their cells read back");

    ui.setCellColours("List"_c, 2, 1, 0x0000FF, 0x00FF00);
    ui.deleteRow("List"_c, 0);
    const auto moved = ui.cellColours("List"_c, 1, 1);
    const auto old = ui.cellColours("List"_c, 2, 1);
    check(ui.rowCount("List"_c) == 2 && ui.cell("List"_c, 0, 0) == L"D:\\b.esd" && moved.first == 0x0000FF &&
              moved.second == 0x00FF00 && old.first == halvora::kDefaultColour,
          "deleting a row moves the rows below up, with their cell colours");

    ui.selectRow("List"_c, 1);
    const int selected = ui.selectedRow("List"_c);
    ui.selectRow("List"_c, -1);
    check(selected == 1 && ui.selectedRow("List"_c) == -1, "selectRow selects a row; -1 clears the selection");

    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    const int icon = ui.addListIcon("List"_c, std::wstring(folder) + L"\\shell32.dll", 0);
    check(ui.rowIcon("List"_c, 0) == -1, "a row has no icon until it is given one");
    ui.setRowIcon("List"_c, 0, icon);
    check(icon >= 0 && ui.rowIcon("List"_c, 0) == icon, "a list icon from shell32.dll is shown on a row",
          "icon " + std::to_string(icon));
    ui.deleteAllRows("List"_c);
    check(ui.rowCount("List"_c) == 0 && ui.cellColours("List"_c, 0, 1).first == halvora::kDefaultColour,
          "deleteAllRows empties the list and forgets its colours");
}

void checkEvents(Win32Toolkit& ui, HWND main) {
    HWND button = childNamed(main, "Button");
    auto events = eventsOf(ui, main, [&] { SendMessageW(button, BM_CLICK, 0, 0); });
    check(isControlEvent(events, "Button"_c, halvora::kLeftClick), "a button click is a Control event, code 0");

    HWND label = childNamed(main, "Label");
    events = eventsOf(ui, main, [&] {
        PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    });
    check(isControlEvent(events, "Label"_c, halvora::kLeftClick),
          "a click on a clickable label is a Control event, code 0");

    HWND check_ = childNamed(main, "Check");
    events = eventsOf(ui, main, [&] { SendMessageW(check_, BM_CLICK, 0, 0); });
    check(isControlEvent(events, "Check"_c, halvora::kLeftClick) && !ui.isChecked("Check"_c),
          "a click on a check box toggles it and is a Control event");

    events = eventsOf(ui, main, [&] {
        ui.setSpinValue("Spin"_c, 2);
        ui.setText("Spin"_c, L"2");
    });
    check(events.empty(), "the program's own changes to a spin field are no events");
    HWND spin = childNamed(main, "Spin");
    events = eventsOf(ui, main, [&] {
        SetFocus(spin);
        SendMessageW(spin, WM_KEYDOWN, VK_UP, 0);
        SendMessageW(spin, WM_KEYUP, VK_UP, 0);
    });
    check(ui.spinValue("Spin"_c) == 3 && !events.empty() && events.back().control == "Spin"_c &&
              events.back().code == halvora::kChange,
          "the up arrow raises the spin value and reports a change (768) for the spin control",
          std::to_string(events.size()) + " events, value " + std::to_string(ui.spinValue("Spin"_c)));

    HWND combo = childNamed(main, "Combo");
    events = eventsOf(ui, main, [&] {
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    });
    check(isControlEvent(events, "Combo"_c, halvora::kChange), "a new choice in a combo box is a change event");

    events = eventsOf(ui, main, [&] { SendMessageW(main, WM_COMMAND, IDCANCEL, 0); });
    check(events.empty(), "WM_COMMAND without a control (Esc in IsDialogMessageW) is no event");

    events = eventsOf(ui, main, [&] { PostMessageW(main, WM_CLOSE, 0, 0); });
    check(events.size() == 1 && events[0].kind == EventKind::Close && events[0].window == kWindow && IsWindow(main),
          "WM_CLOSE is a Close event and leaves the window to the program");

    events = eventsOf(ui, main, [&] { PostMessageW(main, kOtherWorkerMessage, 7, -9); });
    check(events.size() == 1 && events[0].kind == EventKind::Custom && events[0].code == kOtherWorkerMessage &&
              events[0].wparam == 7 && events[0].lparam == -9,
          "a worker's message to the main window is a Custom event with its data");

    ui.setTimer(kWindow, 5, 30);
    ui.setTimer(kWindow, kWatchdogTimer, 5000);
    const Event timer = ui.waitEvent();
    ui.killTimer(kWindow, 5);
    ui.killTimer(kWindow, kWatchdogTimer);
    check(timer.kind == EventKind::Timer && timer.code == 5 && timer.window == kWindow,
          "a timer fires as a Timer event with its number");

    std::vector<std::uint8_t> received;
    ui.acceptCopyData(kWindow);
    LRESULT answer = 0;
    std::wstring workerText;
    events = eventsOf(ui, main, [&] {
        std::thread worker([&] {
            const char payload[] = "/Index:2";
            COPYDATASTRUCT cds{0, sizeof(payload), const_cast<char*>(payload)};
            answer = SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
            ui.setText("Edit"_c, L"from a worker");  // a worker writing a control
            workerText = ui.text("Edit"_c);
            Event done;
            done.kind = EventKind::Custom;
            done.code = 1;
            ui.postEvent(done);
        });
        // The worker needs this thread to handle its messages, which waitEvent does.
        for (;;) {
            Event e = ui.waitEvent();
            if (e.kind == EventKind::CopyData) received = e.data;
            if (e.kind == EventKind::Custom && e.code == 1) break;
        }
        worker.join();
    });
    check(
        answer == TRUE && received.size() == 9 && received[0] == '/' && workerText == L"from a worker",
        "WM_COPYDATA is copied into a CopyData event and a worker thread can write and read controls and post events");
}

// The waits of the interface thread that are not waitEvent's: a wait with the window answering
// keeps what arrives for later, and a WM_QUIT from outside asks the main window to close once,
// after which the loop waits for events again (it must not spin on a re-posted WM_QUIT while
// the program cannot close yet).
void checkWaits(Win32Toolkit& ui, HWND main) {
    PostMessageW(main, kOtherWorkerMessage, 5, 0);
    ui.keepAnsweringFor(100);
    ui.setTimer(kWindow, kWatchdogTimer, 5000);
    const Event kept = ui.waitEvent();
    ui.killTimer(kWindow, kWatchdogTimer);
    check(kept.kind == EventKind::Custom && kept.code == kOtherWorkerMessage && kept.wparam == 5,
          "a worker's message that arrives while the window answers during a wait is kept for the loop");

    PostQuitMessage(0);
    const Event close = ui.waitEvent();
    std::thread later([&] {
        Sleep(300);
        Event e;
        e.kind = EventKind::Custom;
        e.code = 2;
        ui.postEvent(e);
    });
    const Event next = ui.waitEvent();
    later.join();
    const Event owed = ui.waitEvent();
    check(close.kind == EventKind::Close && close.window == kWindow, "a WM_QUIT asks the main window to close");
    check(next.kind == EventKind::Custom && next.code == 2,
          "after it the loop waits for the next event instead of asking again at once",
          next.kind == EventKind::Close ? "it asked to close again" : "another event came");
    check(owed.kind == EventKind::Close, "the close is asked again after that event");
}

}  // namespace

int checkToolkit() {
    Win32Toolkit ui(GetModuleHandleW(nullptr));
    using halvora::ControlSpec;
    check(ui.createWindow(kWindow, L"Halvora toolkit check", {420, 300}, halvora::ControlName(),
                          halvora::kWindowMinimiseBox) == 0,
          "the main window is created");
    check(ui.createWindow(kWindow, L"again", {10, 10}, halvora::ControlName(), 0) == ERROR_ALREADY_EXISTS,
          "a second window of the same name is refused");
    HWND main = FindWindowW(nullptr, L"Halvora toolkit check");
    RECT client{};
    GetClientRect(main, &client);
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    check(client.right == MulDiv(420, ui.screenDpi(), 96) && client.bottom == MulDiv(300, ui.screenDpi(), 96) &&
              (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) && !(style & WS_THICKFRAME) && !(style & WS_MAXIMIZEBOX),
          "the main window has the client size asked for, a minimise box and a fixed frame");

    ui.setWindowFont(kWindow, L"NanumGothicCoding", -10);
    for (const ControlSpec& layout : std::vector<ControlSpec>{
             {"Status"_c, ControlKind::StatusBar, kWindow, L"", {}},
             {"Panel"_c, ControlKind::Panel, kWindow, L"", {0, 0, 420, 250}},
             {"Button"_c, ControlKind::Button, "Panel"_c, L"설치 파일", {10, 10, 90, 20}},
             {"Label"_c, ControlKind::ClickLabel, "Panel"_c, L"ⓘ", {110, 10, 20, 18}},
             {"Edit"_c, ControlKind::Edit, "Panel"_c, L"", {140, 10, 200, 20}, halvora::kReadOnly},
             {"Check"_c, ControlKind::Check, "Panel"_c, L"ISO 포함", {10, 40, 100, 20}},
             {"Combo"_c, ControlKind::Combo, "Panel"_c, L"", {120, 40, 100, 21}},
             {"Spin"_c, ControlKind::Spin, "Panel"_c, L"2", {230, 40, 50, 20}, halvora::kReadOnly},
             {"List"_c,
              ControlKind::List,
              "Panel"_c,
              L"",
              {10, 70, 400, 150},
              halvora::kFullRowSelect | halvora::kShowSelectionAlways},
         }) {
        ui.createControl(layout);
    }
    check(ui.exists("Button"_c) && ui.exists("Spin"_c) && !ui.exists("Nothing"_c),
          "controls exist by name once created");
    HWND button = childNamed(main, "Button");
    check(button && SendMessageW(button, WM_GETFONT, 0, 0) != 0, "controls get the window's font");
    ui.setVisible(kWindow, true);

    checkControlState(ui);
    checkLists(ui);
    checkEvents(ui, main);
    checkDialogs(ui, kWindow);

    check(ui.createWindow("MessageBox"_c, L"상자", {300, 100}, kWindow,
                          halvora::kWindowNoCloseBox | halvora::kWindowTopMost) == 0,
          "an owned window is created");
    HWND box = FindWindowW(nullptr, L"상자");
    check(box && GetWindow(box, GW_OWNER) == main && !(GetWindowLongPtrW(box, GWL_STYLE) & WS_SYSMENU) &&
              (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST),
          "the message box is owned by the main window, topmost, without a close box");
    ui.createControl({"BoxText"_c, ControlKind::Label, "MessageBox"_c, L"text", {10, 10, 100, 20}});
    ui.destroyWindow("MessageBox"_c);
    check(!ui.exists("MessageBox"_c) && !ui.exists("BoxText"_c) && !IsWindow(box),
          "destroying a window forgets it and its controls");
    checkWaits(ui, main);  // last: a WM_QUIT taken stays taken
    ui.destroyWindow(kWindow);
    return failures;
}

}  // namespace probe
