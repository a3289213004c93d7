#include "platform/sim/machine/sim_machine.hpp"

#include "platform/sim/machine/sim_json.hpp"
#include "base/utf.hpp"
#include "platform/sim/real/sim_real_disks.hpp"
#include "platform/sim/real/sim_real_volume.hpp"

#include <algorithm>
#include <fstream>
#include <iostream>

namespace halvora::sim {

SimMachine::SimMachine(MachineDescription description)
    : description_(std::move(description)),
      devices_(description_),
      attachedDiscs_(devices_, fileAttributes_, openFiles_),
      platformCalls_(description_.failCalls) {
    const std::wstring& program = description_.programPath;
    const std::size_t slash = program.find_last_of(L"\\/");
    // A drive root keeps its backslash out: the current folder of C:\x.exe is "C:".
    currentFolder_ = slash == std::wstring::npos ? L"" : program.substr(0, slash);
}

SimMachine::~SimMachine() = default;

std::shared_ptr<SimMachine> SimMachine::load(const std::string& jsonPath, std::string& error) {
    const auto read = readJsonFile(jsonPath, "machine description", /*allowComments=*/true, error);
    if (!read) return nullptr;
    const nlohmann::json& json = *read;
    const auto base = std::filesystem::absolute(jsonPath).parent_path();
    auto description = parseMachineDescription(json, base, error);
    if (!description) return nullptr;
    return withRealDisks(std::move(*description), error);
}

std::shared_ptr<SimMachine> SimMachine::fromJson(const nlohmann::json& json, std::string& error) {
    auto description = parseMachineDescription(json, std::filesystem::current_path(), error);
    if (!description) return nullptr;
    return withRealDisks(std::move(*description), error);
}

std::shared_ptr<SimMachine> SimMachine::withRealDisks(MachineDescription description, std::string& error) {
    auto realDisks = RealDisks::open(description.storage, error);
    if (!realDisks) return nullptr;
    auto machine = std::make_shared<SimMachine>(std::move(description));
    machine->realDisks_ = std::move(realDisks);
    return machine;
}

bool SimMachine::flushRealDisks(std::string& error) { return !realDisks_ || realDisks_->flush(error); }

void SimMachine::closeRealDisks() {
    if (realDisks_) realDisks_->close();
}

std::wstring SimMachine::fullPath(const std::wstring& path) const { return fullWindowsPath(path, currentFolder()); }

std::uint64_t SimMachine::virtualNow() const {
    std::lock_guard lock(mutex_);
    return virtualNow_;
}

void SimMachine::advanceVirtualTime(std::uint64_t to) {
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(mutex_);
        virtualNow_ = std::max(virtualNow_, to);
        const auto end = timedActions_.upper_bound(virtualNow_);
        for (auto it = timedActions_.begin(); it != end; ++it) due.push_back(std::move(it->second));
        timedActions_.erase(timedActions_.begin(), end);
    }
    // Run without the lock: an action may use the machine.
    for (auto& action : due) action();
}

void SimMachine::atVirtualTime(std::uint64_t due, std::function<void()> action) {
    {
        std::lock_guard lock(mutex_);
        if (due > virtualNow_) {
            timedActions_.emplace(due, std::move(action));
            return;
        }
    }
    action();
}

std::wstring SimMachine::currentFolder() const {
    std::lock_guard lock(mutex_);
    return currentFolder_;
}

void SimMachine::setCurrentFolder(const std::wstring& folder) {
    std::wstring current = folder;
    // Kept without a trailing backslash, a root as "C:", as the paths above are joined.
    while (current.size() > 2 && (current.back() == L'\\' || current.back() == L'/')) current.pop_back();
    std::lock_guard lock(mutex_);
    currentFolder_ = current;
}

std::optional<std::filesystem::path> SimMachine::hostPath(const std::wstring& path) const {
    return mapToHost(drives(), fullPath(path));
}

bool SimMachine::isReadOnly(const std::wstring& path) const {
    const auto parsed = parseWindowsPath(fullPath(path));
    if (!parsed) return false;
    for (const auto& root : description_.readOnly) {
        if (isUnder(*parsed, root)) return true;
    }
    return false;
}

void SimMachine::addDrive(wchar_t letter, const std::filesystem::path& folder) {
    devices_.addFolderDrive(letter, folder);
}

void SimMachine::removeDrive(wchar_t letter) { devices_.removeFolderDrive(letter); }

DriveFolders SimMachine::drives() const { return devices_.letterFolders(); }

bool SimMachine::formatVolume(wchar_t letter, const std::wstring& fileSystem, const std::wstring& label) {
    const auto device = devices_.deviceOfName(std::wstring(1, letter) + L":");
    if (!device || device->kind != DeviceKind::Volume) return false;
    if (const auto& real = device->partition->realVolume) {
        // A real partition is formatted for real, within its own bounds (its loop device).
        const std::wstring fileSystemToMake = fileSystem.empty() ? device->fileSystem : fileSystem;
        std::string error;
        if (!real->format(fileSystemToMake, label, error)) {
            std::cerr << "halvora-sim: " << error << "\n";
            return false;
        }
        fileAttributes_.forgetUnder(device->folder);
        return devices_.setVolumeFormat(letter, fileSystemToMake == L"NTFS" ? L"NTFS" : L"FAT32", label);
    }
    std::error_code ec;
    std::vector<std::filesystem::path> entries;  // gathered first: removing while iterating is unspecified
    for (const auto& entry : std::filesystem::directory_iterator(device->folder, ec)) entries.push_back(entry.path());
    for (const auto& entry : entries) std::filesystem::remove_all(entry, ec);
    fileAttributes_.forgetUnder(device->folder);
    return devices_.setVolumeFormat(letter, fileSystem.empty() ? device->fileSystem : fileSystem, label);
}

bool SimMachine::openMutex(const std::wstring& name) {
    std::lock_guard lock(mutex_);
    return mutexes_[name]++ > 0;
}

void SimMachine::closeMutex(const std::wstring& name) {
    std::lock_guard lock(mutex_);
    auto it = mutexes_.find(name);
    if (it != mutexes_.end() && --it->second <= 0) mutexes_.erase(it);
}

bool SimMachine::mutexExists(const std::wstring& name) const {
    std::lock_guard lock(mutex_);
    return mutexes_.count(name) != 0;
}

std::uint64_t SimMachine::registerWindow(std::shared_ptr<SimEventQueue> queue, const std::string& name,
                                         const std::wstring& title) {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextWindowId_;
    nextWindowId_ += 4;  // window handles are multiples of four, never zero
    windows_[id] = Window{queue, name, title};
    return id;
}

void SimMachine::setWindowTitle(std::uint64_t id, const std::wstring& title) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(id);
    if (it != windows_.end()) it->second.title = title;
}

void SimMachine::unregisterWindow(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    windows_.erase(id);
}

std::uint64_t SimMachine::findWindow(const std::wstring& title) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, window] : windows_) {
        if (window.title == title) return id;
    }
    return 0;
}

std::vector<std::wstring> SimMachine::windowTitles() const {
    std::lock_guard lock(mutex_);
    std::vector<std::wstring> titles;
    for (const auto& entry : windows_) titles.push_back(entry.second.title);
    return titles;
}

std::intptr_t SimMachine::sendCopyData(std::uint64_t window, const void* data, std::uint32_t size) {
    std::shared_ptr<SimEventQueue> queue;
    std::string name;
    std::chrono::milliseconds timeout;
    {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(window);
        if (it == windows_.end()) return 0;
        queue = it->second.queue.lock();
        name = it->second.name;
        timeout = copyDataTimeout_;
    }
    if (!queue) return 0;
    return queue->sendCopyData(name, data, size, timeout);
}

void SimMachine::setCopyDataTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(mutex_);
    copyDataTimeout_ = timeout;
}

void SimMachine::record(const std::wstring& call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

std::vector<std::wstring> SimMachine::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void SimMachine::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

}  // namespace halvora::sim
