#pragma once
// The operating system below the boundary: each call is the Windows call of the same name.

#include "platform/system.hpp"

namespace halvora::win32 {

class Win32System final : public System {
public:
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

    ProgramRun runHiddenProgram(const std::wstring& commandLine, const std::wstring& workingFolder) override;

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
    std::unique_ptr<ImagingLibrary> imaging_;
    std::unique_ptr<Volumes> volumes_;
};

// Version.dll from System32; null when it or one of its functions is missing.
std::unique_ptr<VersionLibrary> openVersionLibrary();

// VirtDisk.dll from System32; null when it cannot be loaded. A missing function fails its calls
// with 127.
std::unique_ptr<VirtualDiskLibrary> openVirtualDiskLibrary();

}  // namespace halvora::win32
