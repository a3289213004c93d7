// Pop-up menus, tooltips and the taskbar button of the sim toolkit.

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

namespace {

SimMenuItem* findItem(SimMenu& menu, int id) {
    for (auto& item : menu.items) {
        if (item.id == id && id != 0) return &item;
    }
    return nullptr;
}

}  // namespace

SimMenu* SimToolkit::findMenu(const std::string& name, const char* operation) {
    const auto it = menus_.find(name);
    if (it == menus_.end()) {
        fault(std::string(operation) + ": no menu \"" + name + "\"");
        return nullptr;
    }
    return &it->second;
}

void SimToolkit::createPopupMenu(const ControlName& menu, const std::vector<MenuItemSpec>& items) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (menus_.count(menu) != 0) {
        fault("createPopupMenu: the menu \"" + menu + "\" exists");
        return;
    }
    SimMenu created;
    for (const auto& item : items) created.items.push_back(SimMenuItem{item.id, item.text, false, true});
    menus_[menu] = std::move(created);
}

void SimToolkit::setMenuItemChecked(const ControlName& menu, int id, bool checked) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimMenu* m = findMenu(menu, "setMenuItemChecked");
    if (!m) return;
    if (SimMenuItem* item = findItem(*m, id)) {
        item->checked = checked;
    } else {
        fault("setMenuItemChecked: \"" + menu + "\" has no item " + std::to_string(id));
    }
}

bool SimToolkit::isMenuItemChecked(const ControlName& menu, int id) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimMenu* m = findMenu(menu, "isMenuItemChecked");
    SimMenuItem* item = m ? findItem(*m, id) : nullptr;
    return item && item->checked;
}

void SimToolkit::setMenuItemEnabled(const ControlName& menu, int id, bool enabled) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimMenu* m = findMenu(menu, "setMenuItemEnabled");
    if (!m) return;
    if (SimMenuItem* item = findItem(*m, id)) {
        item->enabled = enabled;
    } else {
        fault("setMenuItemEnabled: \"" + menu + "\" has no item " + std::to_string(id));
    }
}

bool SimToolkit::isMenuItemEnabled(const ControlName& menu, int id) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimMenu* m = findMenu(menu, "isMenuItemEnabled");
    SimMenuItem* item = m ? findItem(*m, id) : nullptr;
    return item && item->enabled;
}

void SimToolkit::showPopupMenu(const ControlName& menu, const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimMenu* m = findMenu(menu, "showPopupMenu");
    if (!m || !findWindow(window, "showPopupMenu")) return;
    m->openFor = window;
}

std::vector<SimMenuItem> SimToolkit::menuItems(const std::string& menu) {
    std::lock_guard lock(mutex_);
    const auto it = menus_.find(menu);
    return it == menus_.end() ? std::vector<SimMenuItem>{} : it->second.items;
}

std::string SimToolkit::menuOpenFor(const std::string& menu) {
    std::lock_guard lock(mutex_);
    const auto it = menus_.find(menu);
    return it == menus_.end() ? "" : it->second.openFor;
}

void SimToolkit::closePopupMenu(const std::string& menu) {
    std::lock_guard lock(mutex_);
    const auto it = menus_.find(menu);
    if (it != menus_.end()) it->second.openFor.clear();
}

void SimToolkit::addTooltip(const ControlName& control, const std::wstring& title, const std::wstring& text, int icon,
                            bool programFont) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!find(control, "addTooltip")) return;
    tooltips_.push_back(SimTooltip{control, title, text, icon, programFont});
}

std::vector<SimTooltip> SimToolkit::tooltips() {
    std::lock_guard lock(mutex_);
    return tooltips_;
}

bool SimToolkit::createTaskbarProgress(const ControlName& window) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!findWindow(window, "createTaskbarProgress")) return false;
    if (machine_->description().taskbarMissing) return false;
    taskbar_.created = true;
    taskbar_.window = window;
    return true;
}

void SimToolkit::releaseTaskbarProgress() {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!taskbar_.created) return;
    taskbar_.created = false;
    ++taskbar_.releases;
}

void SimToolkit::setTaskbarProgress(std::uint64_t done, std::uint64_t total) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!taskbar_.created) {
        fault("setTaskbarProgress: no taskbar object");
        return;
    }
    taskbar_.showingProgress = true;
    taskbar_.done = done;
    taskbar_.total = total;
}

void SimToolkit::clearTaskbarProgress() {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (!taskbar_.created) {
        fault("clearTaskbarProgress: no taskbar object");
        return;
    }
    taskbar_.showingProgress = false;
}

SimTaskbar SimToolkit::taskbar() {
    std::lock_guard lock(mutex_);
    return taskbar_;
}

}  // namespace halvora::sim
