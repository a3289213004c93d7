#include "platform/sim/toolkit/sim_toolkit.hpp"

#include <algorithm>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

// Widths of the deterministic text measure: Hangul and other wide scripts take more room.
constexpr int kLineHeight = 16;

}  // namespace

SimToolkit::SimToolkit(std::shared_ptr<SimMachine> machine)
    : machine_(std::move(machine)), queue_(std::make_shared<SimEventQueue>()) {
    // The window procedure's part of WM_COPYDATA, run on the interface thread while it waits
    // for messages: the bytes are copied and queued for the main loop.
    queue_->setDispatcher([this](const std::string& window, const void* data, std::uint32_t size) {
        {
            std::lock_guard lock(mutex_);
            const auto it = controls_.find(window);
            // A window that takes none leaves WM_COPYDATA to DefWindowProc, which returns FALSE.
            if (it == controls_.end() || !it->second.isWindow || !it->second.acceptsCopyData) return std::intptr_t{0};
        }
        if (data == nullptr || size > kCopyDataLimit) return std::intptr_t{0};
        Event event;
        event.kind = EventKind::CopyData;
        event.window = window;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        event.data.assign(bytes, bytes + size);
        queue_->post(std::move(event));
        return std::intptr_t{1};
    });
}

SimToolkit::~SimToolkit() {
    queue_->close();
    std::lock_guard lock(mutex_);
    for (const auto& [name, control] : controls_) {
        if (control.isWindow) machine_->unregisterWindow(control.id);
    }
}

// --- look-ups -------------------------------------------------------------------------------

void SimToolkit::fault(const std::string& what) { faults_.push_back(what); }

SimControl* SimToolkit::find(const std::string& name, const char* operation) {
    const auto it = controls_.find(name);
    if (it == controls_.end()) {
        fault(std::string(operation) + ": no control \"" + name + "\"");
        return nullptr;
    }
    return &it->second;
}

SimControl* SimToolkit::findWindow(const std::string& name, const char* operation) {
    SimControl* control = find(name, operation);
    if (control && !control->isWindow) {
        fault(std::string(operation) + ": \"" + name + "\" is not a window");
        return nullptr;
    }
    return control;
}

SimControl* SimToolkit::findKind(const std::string& name, const char* operation,
                                 std::initializer_list<ControlKind> kinds) {
    SimControl* control = find(name, operation);
    if (!control) return nullptr;
    if (control->isWindow || std::find(kinds.begin(), kinds.end(), control->kind) == kinds.end()) {
        fault(std::string(operation) + ": \"" + name + "\" is not of the kind it needs");
        return nullptr;
    }
    return control;
}

SimControl* SimToolkit::findList(const std::string& name, const char* operation) {
    return findKind(name, operation, {ControlKind::List, ControlKind::DriveRow});
}

std::string SimToolkit::topWindowLocked(const std::string& name) {
    std::string current = name;
    for (;;) {
        const auto it = controls_.find(current);
        if (it == controls_.end()) return "";
        if (it->second.isWindow) return current;
        current = it->second.parent;
    }
}

void SimToolkit::eraseTree(const std::string& name) {
    const auto it = controls_.find(name);
    if (it == controls_.end()) return;
    const std::vector<std::string> children = it->second.children;
    for (const auto& child : children) eraseTree(child);
    controls_.erase(name);
}

// --- windows --------------------------------------------------------------------------------

std::uint32_t SimToolkit::createWindow(const ControlName& name, const std::wstring& title, Size client,
                                       const ControlName& owner, unsigned flags) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    const auto failing = failingWindows_.find(name);
    if (failing != failingWindows_.end()) {
        const std::uint32_t error = failing->second;
        failingWindows_.erase(failing);
        return error;
    }
    if (controls_.count(name) != 0) {
        fault("createWindow: the name \"" + name + "\" is taken");
        return kErrorClassAlreadyExists;
    }
    if (!owner.empty()) {
        const auto it = controls_.find(owner);
        if (it == controls_.end() || !it->second.isWindow) return kErrorInvalidWindowHandle;
    }
    SimControl window;
    window.name = name;
    window.isWindow = true;
    window.text = title;
    window.rect = Rect{0, 0, client.w, client.h};
    window.owner = owner;
    window.flags = flags;
    window.visible = false;
    window.id = machine_->registerWindow(queue_, name, title);
    controls_[name] = std::move(window);
    windowOrder_.push_back(name);
    return 0;
}

void SimToolkit::destroyWindow(const ControlName& name) {
    SentCall sent(*queue_);
    if (observer_) {
        // The owned windows go first, as below; each is told while it can still be read.
        std::vector<std::string> closing;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [other, control] : controls_) {
                if (control.isWindow && control.owner == name) closing.push_back(other);
            }
            if (controls_.count(name) != 0 && controls_[name].isWindow) closing.push_back(name);
        }
        for (const auto& window : closing) observer_({SimScreenChange::Kind::WindowClosing, window, 0, L""});
    }
    std::lock_guard lock(mutex_);
    SimControl* window = findWindow(name, "destroyWindow");
    if (!window) return;
    // Windows destroys the windows a window owns before the window itself.
    std::vector<std::string> owned;
    for (const auto& [other, control] : controls_) {
        if (control.isWindow && control.owner == name) owned.push_back(other);
    }
    for (const auto& other : owned) {
        machine_->unregisterWindow(controls_[other].id);
        eraseTree(other);
        std::erase(windowOrder_, other);
    }
    machine_->unregisterWindow(window->id);
    eraseTree(name);
    std::erase(windowOrder_, name);
    std::erase_if(timers_, [&](const SimTimer& t) { return controls_.count(t.window) == 0; });
    for (auto& [menuName, menu] : menus_) {
        if (controls_.count(menu.openFor) == 0) menu.openFor.clear();
    }
}

void SimToolkit::setClientSize(const ControlName& window, Size client) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "setClientSize")) {
        w->rect.w = client.w;
        w->rect.h = client.h;
    }
}

void SimToolkit::centreWindow(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "centreWindow")) ++w->centred;
}

bool SimToolkit::isMinimised(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* w = findWindow(window, "isMinimised");
    return w && w->minimised;
}

void SimToolkit::restoreWindow(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "restoreWindow")) w->minimised = false;
}

void SimToolkit::acceptDroppedFiles(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "acceptDroppedFiles")) w->acceptsDrops = true;
}

void SimToolkit::acceptCopyData(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "acceptCopyData")) w->acceptsCopyData = true;
}

// --- fonts and the screen -------------------------------------------------------------------

int SimToolkit::screenDpi() { return machine_->description().dpi; }

bool SimToolkit::fontInstalled(const std::wstring& face) {
    const auto& fonts = machine_->description().fonts;
    return std::find(fonts.begin(), fonts.end(), face) != fonts.end();
}

std::optional<FontSpec> SimToolkit::smallCaptionFont() { return machine_->description().smallCaptionFont; }

FontSpec SimToolkit::stockGuiFont() { return machine_->description().guiFont; }

void SimToolkit::setWindowFont(const ControlName& window, const std::wstring& face, int size) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "setWindowFont")) w->controlFont = FontSpec{face, size};
}

void SimToolkit::setControlFont(const ControlName& control, const std::wstring& face, int size) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = find(control, "setControlFont")) c->font = FontSpec{face, size};
}

Size SimToolkit::measureText(const ControlName& control, const std::wstring& text) {
    SentCall sent(*queue_);
    {
        std::lock_guard lock(mutex_);
        find(control, "measureText");
    }
    Size size{0, 0};
    int lineWidth = 0;
    int lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            size.w = std::max(size.w, lineWidth);
            lineWidth = 0;
            ++lines;
            continue;
        }
        lineWidth += simCharWidth(c);
    }
    size.w = std::max(size.w, lineWidth);
    size.h = lines * kLineHeight;
    return size;
}

// --- controls -------------------------------------------------------------------------------

void SimToolkit::createControl(const ControlSpec& layout) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (controls_.count(layout.name) != 0) {
        fault("createControl: the name \"" + layout.name + "\" is taken");
        return;
    }
    SimControl* parent = find(layout.parent, "createControl");
    if (!parent) return;
    if (!parent->isWindow && parent->kind != ControlKind::Panel) {
        fault("createControl: \"" + layout.parent + "\" cannot hold controls");
        return;
    }
    parent->children.push_back(layout.name);
    SimControl control;
    control.name = layout.name;
    control.kind = layout.kind;
    control.parent = layout.parent;
    control.text = layout.text;
    control.rect = layout.rect;
    control.flags = layout.flags;
    if (layout.kind == ControlKind::Spin) {
        try {
            control.value = std::stoi(toUtf8(layout.text));
        } catch (...) {
            control.value = 0;
        }
    }
    const std::string window = topWindowLocked(layout.parent);
    control.font = controls_[window].controlFont;
    controls_[layout.name] = std::move(control);
}

bool SimToolkit::exists(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    return controls_.count(control) != 0;
}

void SimToolkit::setText(const ControlName& control, const std::wstring& text) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "setText");
    if (!c) return;
    if (c->isWindow) {
        c->text = text;
        machine_->setWindowTitle(c->id, text);
    } else if (c->kind == ControlKind::StatusBar) {
        c->fieldTexts[0] = text;  // SetWindowText of a status bar writes its first field
    } else if (c->kind == ControlKind::Combo) {
        fault("setText: \"" + control + "\" is a drop-down list, which has no text of its own");
    } else {
        c->text = text;
        if (c->kind == ControlKind::Spin) {
            // The up-down control reads its position back from the text of its buddy field.
            try {
                std::size_t used = 0;
                const int value = std::stoi(toUtf8(text), &used);
                if (used == toUtf8(text).size()) c->value = value;
            } catch (...) {}
        }
    }
}

std::wstring SimToolkit::text(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "text");
    if (!c) return L"";
    if (!c->isWindow && c->kind == ControlKind::Combo) {
        // The text of a drop-down list is its selected item.
        const int i = c->comboSelection;
        return i >= 0 && i < static_cast<int>(c->items.size()) ? c->items[i] : L"";
    }
    if (!c->isWindow && c->kind == ControlKind::StatusBar) return c->fieldTexts[0];
    return c->text;
}

void SimToolkit::setEnabled(const ControlName& control, bool enabled) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = find(control, "setEnabled")) c->enabled = enabled;
}

bool SimToolkit::isEnabled(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "isEnabled");
    return c && c->enabled;
}

void SimToolkit::setVisible(const ControlName& control, bool visible) {
    SentCall sent(*queue_);
    bool shown = false;
    {
        std::lock_guard lock(mutex_);
        if (SimControl* c = find(control, "setVisible")) {
            shown = c->isWindow && visible && !c->visible;
            c->visible = visible;
        }
    }
    if (shown && observer_) observer_({SimScreenChange::Kind::WindowShown, control, 0, L""});
}

bool SimToolkit::isVisible(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "isVisible");
    return c && c->visible;
}

void SimToolkit::setRect(const ControlName& control, Rect rect) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = find(control, "setRect")) c->rect = rect;
}

Rect SimToolkit::rect(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "rect");
    return c ? c->rect : Rect{};
}

void SimToolkit::setChecked(const ControlName& control, bool checked) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(control, "setChecked", {ControlKind::Check})) c->checked = checked;
}

bool SimToolkit::isChecked(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(control, "isChecked", {ControlKind::Check});
    return c && c->checked;
}

void SimToolkit::setFocus(const ControlName& control) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = find(control, "setFocus");
    if (!c) return;
    SimControl& window = controls_[topWindowLocked(control)];
    window.focus = c->isWindow ? std::string() : control.str();
}

ControlName SimToolkit::focused(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* w = findWindow(window, "focused");
    if (!w || controls_.count(w->focus) == 0) return ControlName();
    return w->focus;
}

void SimToolkit::setColours(const ControlName& control, std::int32_t text, std::int32_t background) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = find(control, "setColours")) {
        c->textColour = text;
        c->backgroundColour = background;
    }
}

void SimToolkit::setIcon(const ControlName& control, const std::wstring& file, int index, int size) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(control, "setIcon", {ControlKind::Icon})) {
        c->icon = SimIcon{file, index, size};
    }
}

}  // namespace halvora::sim
