#include "platform/sim/toolkit/scripted_user.hpp"

#include <thread>

namespace halvora::sim {

namespace {

constexpr int kComboSelectionChange = 1;  // CBN_SELCHANGE

bool isList(std::optional<ControlKind> kind) { return kind == ControlKind::List || kind == ControlKind::DriveRow; }

}  // namespace

ScriptedUser::ScriptedUser(SimToolkit& toolkit) : toolkit_(toolkit) {}

bool ScriptedUser::failure(const std::string& why) {
    lastError_ = why;
    return false;
}

bool ScriptedUser::usable(const std::string& control) {
    if (!toolkit_.exists(control)) return failure("\"" + control + "\" does not exist");
    // Walk up to the window: anything hidden or disabled on the way keeps the person out.
    for (std::string current = control; !current.empty(); current = toolkit_.parentOf(current)) {
        const std::string what =
            current == control ? "\"" + control + "\"" : "\"" + control + "\" is inside \"" + current + "\", which";
        if (!toolkit_.isVisible(current)) return failure(what + " is not visible");
        if (!toolkit_.isEnabled(current)) return failure(what + " is disabled");
    }
    return true;
}

bool ScriptedUser::usableWindow(const std::string& window) {
    if (!toolkit_.isWindow(window)) return failure("no window \"" + window + "\"");
    if (!toolkit_.isVisible(window)) return failure("the window \"" + window + "\" is not visible");
    if (!toolkit_.isEnabled(window)) return failure("the window \"" + window + "\" is disabled");
    return true;
}

bool ScriptedUser::post(const Event& event) {
    lastError_.clear();
    toolkit_.postEvent(event);
    return waitIdle(timeout_);
}

bool ScriptedUser::postControl(const std::string& control, int code, int row) {
    Event event;
    event.kind = EventKind::Control;
    event.window = toolkit_.topWindowOf(control);
    event.control = control;
    event.code = code;
    event.row = row;
    return post(event);
}

bool ScriptedUser::click(const std::string& control) {
    if (!usable(control)) return false;
    const auto kind = toolkit_.kindOf(control);
    if (!kind) return failure("\"" + control + "\" is a window, not a control");
    if (*kind == ControlKind::Panel || *kind == ControlKind::Label) {
        return failure("\"" + control + "\" does not report clicks");
    }
    if (isList(kind)) return failure("\"" + control + "\" is a list: click one of its rows");
    if (*kind == ControlKind::Check) toolkit_.setChecked(control, !toolkit_.isChecked(control));
    toolkit_.setFocus(control);
    return postControl(control, kLeftClick, -1);
}

std::string ScriptedUser::windowInFront() {
    std::string front;
    for (const std::string& window : toolkit_.windows()) {
        if (toolkit_.effectivelyVisible(window) && toolkit_.effectivelyEnabled(window)) front = window;
    }
    return front;
}

bool ScriptedUser::pressKey(int key, bool shift) {
    lastError_.clear();
    if (!waitIdle(timeout_)) return false;
    const std::string window = windowInFront();
    if (window.empty()) return failure("no window is in front to take a key");
    if (toolkit_.flagsOf(window) & kWindowTakesKeys) {
        Event event;
        event.kind = EventKind::Key;
        event.window = window;
        event.code = key;
        event.wparam = shift ? 1 : 0;
        return post(event);
    }
    if (key != kKeySpace) return true;
    const std::string focus = toolkit_.focused(window);
    const auto kind = focus.empty() ? std::nullopt : toolkit_.kindOf(focus);
    if (kind != ControlKind::Button && kind != ControlKind::Check) return true;
    return click(focus);
}

bool ScriptedUser::clickRow(const std::string& list, int row) { return rowAction(list, row, kLeftClick); }

bool ScriptedUser::doubleClickRow(const std::string& list, int row) { return rowAction(list, row, kDoubleClick); }

bool ScriptedUser::rowAction(const std::string& list, int row, int code) {
    if (!usable(list)) return false;
    if (!isList(toolkit_.kindOf(list))) return failure("\"" + list + "\" is not a list");
    if (row < 0 || row >= toolkit_.rowCount(list)) {
        return failure("\"" + list + "\" has no row " + std::to_string(row));
    }
    toolkit_.selectRow(list, row);
    toolkit_.setFocus(list);
    return postControl(list, code, row);
}

bool ScriptedUser::doubleClickEmpty(const std::string& list) {
    if (!usable(list)) return false;
    if (!isList(toolkit_.kindOf(list))) return failure("\"" + list + "\" is not a list");
    toolkit_.selectRow(list, -1);
    toolkit_.setFocus(list);
    return postControl(list, kDoubleClick, -1);
}

bool ScriptedUser::setSpin(const std::string& spin, int value) {
    if (!usable(spin)) return false;
    if (toolkit_.kindOf(spin) != ControlKind::Spin) return failure("\"" + spin + "\" is not a spin field");
    const auto [low, high] = toolkit_.spinRange(spin);
    if (value < std::min(low, high) || value > std::max(low, high)) {
        return failure("the arrows of \"" + spin + "\" do not go to " + std::to_string(value));
    }
    toolkit_.setSpinValue(spin, value);
    return postControl(spin, kChange, -1);
}

bool ScriptedUser::typeText(const std::string& edit, const std::wstring& text) {
    if (!usable(edit)) return false;
    const auto kind = toolkit_.kindOf(edit);
    if (kind != ControlKind::Edit && kind != ControlKind::Spin) {
        return failure("\"" + edit + "\" is not a text field");
    }
    if (toolkit_.flagsOf(edit) & kReadOnly) return failure("\"" + edit + "\" is read-only");
    toolkit_.setFocus(edit);
    toolkit_.setText(edit, text);
    return postControl(edit, kChange, -1);
}

bool ScriptedUser::chooseComboItem(const std::string& combo, int index) {
    if (!usable(combo)) return false;
    if (toolkit_.kindOf(combo) != ControlKind::Combo) return failure("\"" + combo + "\" is not a drop-down list");
    if (index < 0 || index >= toolkit_.comboCount(combo)) {
        return failure("\"" + combo + "\" has no item " + std::to_string(index));
    }
    toolkit_.setFocus(combo);
    toolkit_.setComboSelection(combo, index);
    return postControl(combo, kComboSelectionChange, -1);
}

bool ScriptedUser::chooseMenuItem(const std::string& menu, int id) {
    const std::string window = toolkit_.menuOpenFor(menu);
    if (window.empty()) return failure("the menu \"" + menu + "\" is not open");
    const auto items = toolkit_.menuItems(menu);
    const auto item =
        std::find_if(items.begin(), items.end(), [&](const SimMenuItem& i) { return i.id == id && id != 0; });
    if (item == items.end()) return failure("the menu \"" + menu + "\" has no item " + std::to_string(id));
    if (!item->enabled) return failure("the item " + std::to_string(id) + " of \"" + menu + "\" is disabled");
    toolkit_.closePopupMenu(menu);
    Event event;
    event.kind = EventKind::Menu;
    event.window = window;
    event.code = id;
    return post(event);
}

bool ScriptedUser::dismissMenu(const std::string& menu) {
    if (toolkit_.menuOpenFor(menu).empty()) return failure("the menu \"" + menu + "\" is not open");
    toolkit_.closePopupMenu(menu);
    lastError_.clear();
    return waitIdle(timeout_);
}

bool ScriptedUser::dropFiles(const std::string& window, const std::vector<std::wstring>& files) {
    if (!usableWindow(window)) return false;
    if (!toolkit_.acceptsDroppedFiles(window)) {
        return failure("the window \"" + window + "\" does not take dropped files");
    }
    Event event;
    event.kind = EventKind::DropFiles;
    event.window = window;
    event.files = files;
    return post(event);
}

bool ScriptedUser::requestClose(const std::string& window) {
    if (!usableWindow(window)) return false;
    Event event;
    event.kind = EventKind::Close;
    event.window = window;
    return post(event);
}

bool ScriptedUser::postCustom(int code, std::uint64_t wparam, std::int64_t lparam) {
    Event event;
    event.kind = EventKind::Custom;
    event.window = std::string("MainWindow");  // a worker of the program posts to its main window
    event.code = code;
    event.wparam = wparam;
    event.lparam = lparam;
    return post(event);
}

std::intptr_t ScriptedUser::sendCopyData(const std::wstring& title, const void* data, std::uint32_t size) {
    lastError_.clear();
    const std::uint64_t window = toolkit_.machine().findWindow(title);
    if (window == 0) {
        failure("no window has that title");
        return 0;
    }
    const std::intptr_t result = toolkit_.machine().sendCopyData(window, data, size);
    waitIdle(timeout_);
    return result;
}

bool ScriptedUser::advance(std::uint64_t milliseconds) {
    lastError_.clear();
    if (!waitIdle(timeout_)) return false;
    const std::uint64_t target = toolkit_.now() + milliseconds;
    while (toolkit_.fireNextTimer(target)) {
        if (!waitIdle(timeout_)) {
            return failure("the program did not become idle after a timer at " + std::to_string(toolkit_.now()) +
                           " ms");
        }
    }
    toolkit_.advanceClockTo(target);
    return true;
}

bool ScriptedUser::waitIdle(std::chrono::milliseconds timeout) {
    if (toolkit_.waitIdle(timeout)) return true;
    return failure("the interface thread was not idle within " + std::to_string(timeout.count()) + " ms");
}

bool ScriptedUser::waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            return failure("the awaited state did not come within " + std::to_string(timeout.count()) + " ms");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool ScriptedUser::windowExists(const std::string& window) { return toolkit_.isWindow(window); }

}  // namespace halvora::sim
