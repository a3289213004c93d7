// What a test asks the sim toolkit about the interface, beyond the Toolkit interface.

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

bool SimToolkit::isWindow(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(name);
    return it != controls_.end() && it->second.isWindow;
}

std::vector<std::string> SimToolkit::windows() {
    std::lock_guard lock(mutex_);
    return windowOrder_;
}

std::optional<ControlKind> SimToolkit::kindOf(const std::string& control) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(control);
    if (it == controls_.end() || it->second.isWindow) return std::nullopt;
    return it->second.kind;
}

std::string SimToolkit::parentOf(const std::string& control) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(control);
    return it == controls_.end() ? "" : it->second.parent;
}

std::vector<std::string> SimToolkit::childrenOf(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(name);
    return it == controls_.end() ? std::vector<std::string>{} : it->second.children;
}

std::string SimToolkit::topWindowOf(const std::string& name) {
    std::lock_guard lock(mutex_);
    return topWindowLocked(name);
}

bool SimToolkit::effectivelyVisible(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::string current = name;
    while (!current.empty()) {
        const auto it = controls_.find(current);
        if (it == controls_.end() || !it->second.visible) return false;
        current = it->second.parent;
    }
    return true;
}

bool SimToolkit::effectivelyEnabled(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::string current = name;
    while (!current.empty()) {
        const auto it = controls_.find(current);
        if (it == controls_.end() || !it->second.enabled) return false;
        current = it->second.parent;
    }
    return true;
}

unsigned SimToolkit::flagsOf(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(name);
    return it == controls_.end() ? 0 : it->second.flags;
}

std::string SimToolkit::ownerOf(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it == controls_.end() ? "" : it->second.owner;
}

Size SimToolkit::clientSize(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    if (it == controls_.end() || !it->second.isWindow) return Size{};
    return Size{it->second.rect.w, it->second.rect.h};
}

int SimToolkit::centreCount(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it == controls_.end() ? 0 : it->second.centred;
}

std::uint64_t SimToolkit::windowId(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it == controls_.end() ? 0 : it->second.id;
}

bool SimToolkit::acceptsDroppedFiles(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it != controls_.end() && it->second.acceptsDrops;
}

bool SimToolkit::acceptsCopyData(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it != controls_.end() && it->second.acceptsCopyData;
}

bool SimToolkit::closeTaken(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it != controls_.end() && it->second.closeTaken;
}

std::optional<FontSpec> SimToolkit::fontOf(const std::string& control) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(control);
    return it == controls_.end() ? std::nullopt : it->second.font;
}

std::optional<FontSpec> SimToolkit::windowFont(const std::string& window) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(window);
    return it == controls_.end() ? std::nullopt : it->second.controlFont;
}

std::pair<std::int32_t, std::int32_t> SimToolkit::colours(const std::string& control) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(control);
    if (it == controls_.end()) return {kDefaultColour, kDefaultColour};
    return {it->second.textColour, it->second.backgroundColour};
}

std::optional<SimIcon> SimToolkit::iconOf(const std::string& control) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(control);
    return it == controls_.end() ? std::nullopt : it->second.icon;
}

std::vector<std::string> SimToolkit::faults() {
    std::lock_guard lock(mutex_);
    return faults_;
}

void SimToolkit::failWindowCreation(const std::string& name, std::uint32_t error) {
    std::lock_guard lock(mutex_);
    failingWindows_[name] = error;
}

void SimToolkit::setMinimised(const std::string& window, bool minimised) {
    std::lock_guard lock(mutex_);
    if (SimControl* w = findWindow(window, "setMinimised")) w->minimised = minimised;
}

}  // namespace halvora::sim
