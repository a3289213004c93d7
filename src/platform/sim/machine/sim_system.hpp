#pragma once
// The operating system of one program run on a simulated machine.

#include <memory>
#include <vector>

#include "platform/sim/disks/sim_volumes.hpp"
#include "platform/sim/imaging/sim_imaging.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/system.hpp"

namespace halvora::sim {

class SimSystem : public System {
public:
    // `arguments` are the run's command-line arguments (no argv[0]).
    SimSystem(std::shared_ptr<SimMachine> machine, std::vector<std::wstring> arguments);
    // A run with the arguments of the machine description.
    explicit SimSystem(std::shared_ptr<SimMachine> machine);

    SimMachine& machine() { return *machine_; }

    std::optional<std::wstring> environmentVariable(const std::wstring& name) override;
    std::wstring tempPath() override;
    std::wstring modulePath() override;
    std::wstring systemDirectory() override;
    std::vector<std::wstring> arguments() override;
    std::wstring currentDirectory() override;

    std::int64_t fileSize(const std::wstring& path) override;
    bool folderExists(const std::wstring& path) override;
    bool readFile(const std::wstring& path, std::string& bytes) override;
    bool writeFile(const std::wstring& path, const std::string& bytes) override;
    bool deleteFile(const std::wstring& path) override;
    std::uint32_t fileAttributes(const std::wstring& path) override;
    bool setFileAttributes(const std::wstring& path, std::uint32_t attributes) override;
    bool createFolder(const std::wstring& path) override;
    bool copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) override;
    std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder) override;

    // The machine's programs: the boot tool (see sim_programs.hpp). Each run is logged.
    ProgramRun runHiddenProgram(const std::wstring& commandLine, const std::wstring& workingFolder) override;

    // The host's clock: time that passes on the host passes on the machine.
    std::int64_t secondsNow() override;
    void sleep(std::uint32_t milliseconds) override;
    std::unique_ptr<WorkerThread> startThread(std::function<void()> body, std::uint32_t& error) override;

    std::optional<OsVersion> rtlGetVersion() override;
    std::wstring userDefaultLocaleName() override;
    std::optional<std::wstring> formatDate(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                           int capacity) override;
    std::optional<std::wstring> formatTime(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                           int capacity) override;
    void messageBeep(std::uint32_t type) override;
    std::unique_ptr<VersionLibrary> loadVersionLibrary() override;
    // Null when the machine has no VirtDisk.dll (see sim_virtual_disks.hpp).
    std::unique_ptr<VirtualDiskLibrary> loadVirtualDiskLibrary() override;

    ImagingLibrary& imaging() override;
    Volumes& volumes() override;

    std::unique_ptr<SystemHandle> createMutex(const std::wstring& name, std::uint32_t& lastError) override;
    std::uint64_t findWindow(const std::wstring& title) override;
    std::intptr_t sendCopyData(std::uint64_t window, std::uintptr_t dwData, const void* data,
                               std::uint32_t size) override;

    void enablePrivilege(const std::wstring& name, std::uint32_t attributes) override;
    bool initiateSystemShutdown(const std::wstring& message, std::uint32_t timeoutSeconds, bool forceAppsClosed,
                                bool reboot) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::vector<std::wstring> arguments_;
    std::unique_ptr<ImagingLibrary> imaging_;
    std::unique_ptr<Volumes> volumes_;
};

}  // namespace halvora::sim
