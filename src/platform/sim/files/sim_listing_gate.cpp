#include "platform/sim/files/sim_listing_gate.hpp"

#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

std::wstring ListingGate::keyOf(const std::wstring& folder) {
    const auto parsed = parseWindowsPath(folder);
    if (!parsed) return foldCase(folder);
    std::wstring key(1, parsed->drive);
    key += L':';
    for (const auto& component : parsed->components) key += L'\\' + foldCase(component);
    return key;
}

void ListingGate::hold(const std::wstring& folder) {
    std::lock_guard lock(mutex_);
    held_.insert(keyOf(folder));
}

void ListingGate::release(const std::wstring& folder) {
    {
        std::lock_guard lock(mutex_);
        held_.erase(keyOf(folder));
    }
    changed_.notify_all();
}

void ListingGate::releaseAll() {
    {
        std::lock_guard lock(mutex_);
        held_.clear();
    }
    changed_.notify_all();
}

int ListingGate::waiting(const std::wstring& folder) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(waiting_.count(keyOf(folder)));
}

void ListingGate::pass(const std::wstring& folder) {
    std::unique_lock lock(mutex_);
    if (held_.empty()) return;
    const std::wstring key = keyOf(folder);
    if (held_.count(key) == 0) return;
    const auto mark = waiting_.insert(key);
    changed_.wait(lock, [&] { return held_.count(key) == 0; });
    waiting_.erase(mark);
}

}  // namespace halvora::sim
