#include "platform/sim/machine/sim_system.hpp"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "platform/sim/disks/sim_virtual_disks.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_locale_format.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/machine/sim_version_library.hpp"
#include "platform/sim/programs/sim_programs.hpp"
#include "platform/sim/toolkit/sim_event_queue.hpp"
#include "platform/sim/toolkit/sim_program_threads.hpp"

namespace halvora::sim {

namespace {

class SimMutexHandle : public SystemHandle {
public:
    SimMutexHandle(std::shared_ptr<SimMachine> machine, std::wstring name)
        : machine_(std::move(machine)), name_(std::move(name)) {}
    ~SimMutexHandle() override {
        if (!name_.empty()) machine_->closeMutex(name_);
    }
    SimMutexHandle(const SimMutexHandle&) = delete;
    SimMutexHandle& operator=(const SimMutexHandle&) = delete;

private:
    std::shared_ptr<SimMachine> machine_;
    std::wstring name_;
};

class SimWorkerThread : public WorkerThread {
public:
    explicit SimWorkerThread(std::function<void()> body)
        : finished_(std::make_shared<std::atomic<bool>>(false)),
          thread_([body = std::move(body), finished = finished_] {
              markProgramWorkerThread();
              body();
              *finished = true;
          }) {}
    ~SimWorkerThread() override { join(); }
    void join() override {
        if (!thread_.joinable()) return;
        // The interface thread waiting for a worker that waits for it in a window call would
        // hang for ever on Windows. The program only joins workers that have posted their
        // end; a run forced to end (a test's tear-down) may not, so turns are still given
        // here rather than letting the run hang.
        if (auto queue = SimEventQueue::ofThisThread())
            queue->serveSentCallsUntil([this] { return finished_->load(); });
        thread_.join();
    }

private:
    std::shared_ptr<std::atomic<bool>> finished_;
    std::thread thread_;
};

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

SimSystem::SimSystem(std::shared_ptr<SimMachine> machine, std::vector<std::wstring> arguments)
    : machine_(std::move(machine)), arguments_(std::move(arguments)) {}

SimSystem::SimSystem(std::shared_ptr<SimMachine> machine) : SimSystem(machine, machine->description().arguments) {}

std::optional<std::wstring> SimSystem::environmentVariable(const std::wstring& name) {
    if (machine_->enterCall("GetEnvironmentVariableW")) return std::nullopt;
    const auto& environment = machine_->description().environment;
    const auto it = environment.find(foldCase(name));
    if (it == environment.end()) return std::nullopt;
    return it->second;
}

std::wstring SimSystem::tempPath() {
    if (machine_->enterCall("GetTempPathW")) return L"";
    std::wstring path = machine_->description().tempPath;
    if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
    return path;
}

std::wstring SimSystem::modulePath() {
    if (machine_->enterCall("GetModuleFileNameW")) return L"";
    return machine_->description().programPath;
}

std::wstring SimSystem::systemDirectory() {
    if (machine_->enterCall("GetSystemDirectoryW")) return L"";
    return machine_->description().systemDirectory;
}

std::vector<std::wstring> SimSystem::arguments() {
    if (machine_->enterCall("CommandLineToArgvW")) return {};
    return arguments_;
}

std::wstring SimSystem::currentDirectory() {
    if (machine_->enterCall("GetCurrentDirectoryW")) return L"";
    // A root is "C:\\", any other folder without a trailing backslash.
    const std::wstring current = machine_->currentFolder();
    return current.size() == 2 ? current + L"\\" : current;
}

std::int64_t SimSystem::fileSize(const std::wstring& path) {
    if (machine_->enterCall("GetFileAttributesExW")) return -1;
    const auto host = machine_->hostPath(path);
    if (!host || !isRegularFile(*host)) return -1;
    std::error_code ec;
    const auto size = std::filesystem::file_size(*host, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

bool SimSystem::folderExists(const std::wstring& path) {
    if (machine_->enterCall("GetFileAttributesW")) return false;
    const auto host = machine_->hostPath(path);
    std::error_code ec;
    return host && std::filesystem::is_directory(*host, ec);
}

bool SimSystem::readFile(const std::wstring& path, std::string& bytes) {
    if (const std::uint32_t error = machine_->enterCall("ReadFile")) {
        machine_->record(L"ReadFile " + path + L" -> error " + std::to_wstring(error));
        return false;
    }
    machine_->record(L"ReadFile " + path);
    const auto host = machine_->hostPath(path);
    if (!host || !isRegularFile(*host)) return false;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return false;
    // One block read: a character-by-character copy costs seconds for a large file in a debug build.
    std::error_code ec;
    const auto size = std::filesystem::file_size(*host, ec);
    if (ec) return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

ProgramRun SimSystem::runHiddenProgram(const std::wstring& commandLine, const std::wstring& workingFolder) {
    return runProgram(*machine_, commandLine, workingFolder, machine_->enterCall("CreateProcessW"));
}

std::int64_t SimSystem::secondsNow() {
    machine_->enterCall("GetSystemTimeAsFileTime");
    // FILETIME counts from 1601, the host's clock from 1970. The virtual time the scripted user
    // let pass is added, so that what the program measures agrees with its timers.
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    const auto now =
        std::chrono::system_clock::now().time_since_epoch() + std::chrono::milliseconds(machine_->virtualNow());
    return std::chrono::duration_cast<std::chrono::seconds>(now).count() + kSecondsFrom1601To1970;
}

void SimSystem::sleep(std::uint32_t milliseconds) {
    machine_->enterCall("Sleep");
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::unique_ptr<WorkerThread> SimSystem::startThread(std::function<void()> body, std::uint32_t& error) {
    error = machine_->enterCall("CreateThread");
    if (error == 0) error = machine_->description().threadStartError;
    if (error != 0) {
        machine_->record(L"CreateThread -> error " + std::to_wstring(error));
        return nullptr;
    }
    try {
        return std::make_unique<SimWorkerThread>(std::move(body));
    } catch (const std::system_error&) {
        error = kErrorNotEnoughMemory;  // the host could make no thread either
        return nullptr;
    }
}

std::optional<OsVersion> SimSystem::rtlGetVersion() {
    if (machine_->enterCall("RtlGetVersion")) return std::nullopt;
    const auto& description = machine_->description();
    if (description.ntdllMissing) return std::nullopt;
    return description.windowsVersion;
}

std::wstring SimSystem::userDefaultLocaleName() {
    if (machine_->enterCall("GetUserDefaultLocaleName")) return L"";
    return machine_->description().localeName;
}

std::optional<std::wstring> SimSystem::formatDate(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                  int capacity) {
    if (machine_->enterCall("GetDateFormatW")) return std::nullopt;
    const auto name = localeNameOf(locale, machine_->description().localeName);
    if (!name) return std::nullopt;
    return formatShortDate(*name, flags, time, capacity);
}

std::optional<std::wstring> SimSystem::formatTime(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                  int capacity) {
    if (machine_->enterCall("GetTimeFormatW")) return std::nullopt;
    const auto name = localeNameOf(locale, machine_->description().localeName);
    if (!name) return std::nullopt;
    return formatTimeOfDay(*name, flags, time, capacity);
}

Volumes& SimSystem::volumes() {
    if (!volumes_) volumes_ = std::make_unique<SimVolumes>(machine_);
    return *volumes_;
}

ImagingLibrary& SimSystem::imaging() {
    if (!imaging_) imaging_ = std::make_unique<SimImaging>(machine_);
    return *imaging_;
}

void SimSystem::messageBeep(std::uint32_t type) {
    machine_->enterCall("MessageBeep");
    machine_->record(L"MessageBeep " + std::to_wstring(type));
}

std::unique_ptr<VersionLibrary> SimSystem::loadVersionLibrary() {
    if (machine_->enterCall("LoadLibraryExW")) return nullptr;
    if (machine_->description().versionDllMissing) return nullptr;
    return std::make_unique<SimVersionLibrary>(machine_);
}

std::unique_ptr<VirtualDiskLibrary> SimSystem::loadVirtualDiskLibrary() {
    const std::wstring call = L"LoadLibraryExW " + machine_->description().systemDirectory + L"\\VirtDisk.dll";
    std::uint32_t error = machine_->enterCall("LoadLibraryExW");
    if (error == 0 && !virtualDiskLibraryPresent(*machine_)) error = kErrorModNotFound;
    if (error != 0) {
        machine_->record(call + L" -> error " + std::to_wstring(error));
        return nullptr;
    }
    machine_->record(call);
    return std::make_unique<SimVirtualDisks>(machine_);
}

std::unique_ptr<SystemHandle> SimSystem::createMutex(const std::wstring& name, std::uint32_t& lastError) {
    if (const std::uint32_t error = machine_->enterCall("CreateMutexW")) {
        machine_->record(L"CreateMutexW " + name + L" -> error " + std::to_wstring(error));
        lastError = error;
        return nullptr;
    }
    machine_->record(L"CreateMutexW " + name);
    // An unnamed mutex is new every time.
    lastError = !name.empty() && machine_->openMutex(name) ? kErrorAlreadyExists : 0;
    return std::make_unique<SimMutexHandle>(machine_, name);
}

std::uint64_t SimSystem::findWindow(const std::wstring& title) {
    machine_->record(L"FindWindowW " + title);
    if (machine_->enterCall("FindWindowW")) return 0;
    return machine_->findWindow(title);
}

std::intptr_t SimSystem::sendCopyData(std::uint64_t window, std::uintptr_t dwData, const void* data,
                                      std::uint32_t size) {
    machine_->record(L"SendMessageTimeoutW WM_COPYDATA " + std::to_wstring(dwData) + L" " + std::to_wstring(size));
    if (machine_->enterCall("SendMessageTimeoutW")) return 0;
    return machine_->sendCopyData(window, data, size);
}

void SimSystem::enablePrivilege(const std::wstring& name, std::uint32_t attributes) {
    machine_->enterCall("AdjustTokenPrivileges");
    machine_->record(L"AdjustTokenPrivileges " + name + L" " + std::to_wstring(attributes));
}

bool SimSystem::initiateSystemShutdown(const std::wstring& message, std::uint32_t timeoutSeconds, bool forceAppsClosed,
                                       bool reboot) {
    machine_->record(L"InitiateSystemShutdownW " + message + L" " + std::to_wstring(timeoutSeconds) +
                     (forceAppsClosed ? L" force" : L" noforce") + (reboot ? L" reboot" : L" poweroff"));
    return machine_->enterCall("InitiateSystemShutdownW") == 0;
}

}  // namespace halvora::sim
