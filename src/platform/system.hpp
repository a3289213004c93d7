#pragma once
// The operating system as the program sees it: the calls it makes, with the same arguments and
// results as on Windows. Paths are Windows paths ("C:\Windows\System32\wimgapi.dll"). The win32
// backend passes them on; the sim backend maps drive letters to folders of the host.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/imaging.hpp"
#include "platform/virtual_disks.hpp"
#include "platform/volumes.hpp"

namespace halvora {

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};

// SYSTEMTIME: what FileTimeToSystemTime gives and the date and time formatters take.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;      // 1 to 12
    std::uint16_t dayOfWeek = 0;  // 0 Sunday
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

// Locale and flags of the date and time formatters.
inline constexpr std::uint32_t kLocaleUserDefault = 0x400;
inline constexpr std::uint32_t kTimeNoSeconds = 0x2;
inline constexpr std::uint32_t kTimeNoTimeMarker = 0x4;
inline constexpr std::uint32_t kTimeForce24Hour = 0x8;

// A handle that the process keeps until it is destroyed (CloseHandle on destruction).
class SystemHandle {
public:
    virtual ~SystemHandle() = default;
};

// A thread the program started. Destroying it waits for the thread's function to return, so a
// worker is never cut off; the program joins each one only after it has posted its last event.
class WorkerThread {
public:
    virtual ~WorkerThread() = default;
    virtual void join() = 0;  // waits for the thread's function to return; later calls return at once
};

// Version.dll, loaded from System32 for as long as this object lives.
class VersionLibrary {
public:
    virtual ~VersionLibrary() = default;
    virtual std::uint32_t getFileVersionInfoSize(const std::wstring& path) = 0;
    virtual bool getFileVersionInfo(const std::wstring& path, std::uint32_t size, std::vector<std::uint8_t>& block) = 0;
    // VerQueryValueW of "\VarFileInfo\Translation": the first language id and code page.
    virtual bool queryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                                  std::uint16_t& codePage) = 0;
    // VerQueryValueW of a string-table entry: the characters the query reports (which may
    // include the terminating NUL).
    virtual bool queryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                             std::wstring& value) = 0;
    // VerLanguageNameW into a buffer of 128 characters.
    virtual std::wstring languageName(std::uint32_t language) = 0;
};

// File attributes (GetFileAttributesW).
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeHidden = 0x2;
inline constexpr std::uint32_t kFileAttributeSystem = 0x4;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// One entry of a folder listing (WIN32_FIND_DATAW).
struct FolderEntry {
    std::wstring name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

// How a hidden program run ended: not started (with the platform's error, 2 when the program
// file was not found), or started with its exit code.
struct ProgramRun {
    bool started = false;
    std::uint32_t error = 0;
    std::uint32_t exitCode = 0;
};

class System {
public:
    virtual ~System() = default;

    // --- process and environment ------------------------------------------------------------
    virtual std::optional<std::wstring> environmentVariable(const std::wstring& name) = 0;
    virtual std::wstring tempPath() = 0;                // GetTempPathW: ends with a backslash
    virtual std::wstring modulePath() = 0;              // the program's own file
    virtual std::wstring systemDirectory() = 0;         // GetSystemDirectoryW
    virtual std::vector<std::wstring> arguments() = 0;  // as the platform split them, no argv[0]
    virtual std::wstring currentDirectory() = 0;        // GetCurrentDirectoryW

    // --- files ------------------------------------------------------------------------------
    virtual std::int64_t fileSize(const std::wstring& path) = 0;  // -1: no such file (or a folder)
    virtual bool folderExists(const std::wstring& path) = 0;
    virtual bool readFile(const std::wstring& path, std::string& bytes) = 0;
    // Creates or replaces the file with `bytes`; false when it cannot be written.
    virtual bool writeFile(const std::wstring& path, const std::string& bytes) = 0;
    virtual bool deleteFile(const std::wstring& path) = 0;
    // GetFileAttributesW: kInvalidFileAttributes when the path does not exist.
    virtual std::uint32_t fileAttributes(const std::wstring& path) = 0;
    // SetFileAttributesW: read-only, hidden, system and archive; kFileAttributeNormal clears them.
    virtual bool setFileAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
    // CreateDirectoryW: one folder, whose parent must exist; false when it exists already.
    virtual bool createFolder(const std::wstring& path) = 0;
    // CopyFileW. A read-only destination is not overwritten (the copy fails).
    virtual bool copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
    // FindFirstFileW / FindNextFileW on `folder` + "\*": the entries in the file system's order,
    // without "." and ".."; nullopt when the folder cannot be listed.
    virtual std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder) = 0;

    // --- programs ---------------------------------------------------------------------------
    // CreateProcessW with no application name (the first word of `commandLine` is looked up the
    // platform's usual way), hidden (STARTF_USESHOWWINDOW, SW_HIDE, no console window), its
    // standard output and error going to one pipe that is read to the end and discarded, in
    // `workingFolder`; waits for the program without a time limit.
    // When it cannot be started the platform's last-error value is left at 0.
    virtual ProgramRun runHiddenProgram(const std::wstring& commandLine, const std::wstring& workingFolder) = 0;

    // --- clock ------------------------------------------------------------------------------
    // GetSystemTimeAsFileTime in whole seconds (since 1601).
    virtual std::int64_t secondsNow() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;

    // --- threads ----------------------------------------------------------------------------
    // CreateThread running `body`. Null when no thread could be made, with the platform's error
    // code in `error` and the last-error value reset to 0.
    virtual std::unique_ptr<WorkerThread> startThread(std::function<void()> body, std::uint32_t& error) = 0;

    // --- system -----------------------------------------------------------------------------
    // RtlGetVersion from ntdll.dll; nullopt when ntdll.dll cannot be opened.
    virtual std::optional<OsVersion> rtlGetVersion() = 0;
    virtual std::wstring userDefaultLocaleName() = 0;
    // GetDateFormatW and GetTimeFormatW with no format picture, into a buffer of `capacity`
    // characters; nullopt when the call fails (also when the text does not fit).
    virtual std::optional<std::wstring> formatDate(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                   int capacity) = 0;
    virtual std::optional<std::wstring> formatTime(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                   int capacity) = 0;
    virtual void messageBeep(std::uint32_t type) = 0;
    // Null when Version.dll cannot be loaded.
    virtual std::unique_ptr<VersionLibrary> loadVersionLibrary() = 0;

    // --- imaging ----------------------------------------------------------------------------
    // wimgapi.dll of System32, loaded on first use and kept for the process. When the library or
    // one of its functions is missing, the calls fail with the platform's error (126, 127).
    virtual ImagingLibrary& imaging() = 0;

    // --- virtual disks ----------------------------------------------------------------------
    // VirtDisk.dll, loaded for as long as the object lives; null when it cannot be loaded.
    virtual std::unique_ptr<VirtualDiskLibrary> loadVirtualDiskLibrary() = 0;

    // --- volumes ----------------------------------------------------------------------------
    virtual Volumes& volumes() = 0;

    // --- single instance --------------------------------------------------------------------
    // CreateMutexW(no attributes, not owned, name); `lastError` is GetLastError right after.
    virtual std::unique_ptr<SystemHandle> createMutex(const std::wstring& name, std::uint32_t& lastError) = 0;
    // FindWindowW with no class; 0 when no window has the title.
    virtual std::uint64_t findWindow(const std::wstring& title) = 0;
    // SendMessageTimeoutW(window, WM_COPYDATA, 0, COPYDATASTRUCT{dwData, size, data}) with
    // SMTO_ABORTIFHUNG and a timeout of a few seconds; 0 when it failed or timed out.
    virtual std::intptr_t sendCopyData(std::uint64_t window, std::uintptr_t dwData, const void* data,
                                       std::uint32_t size) = 0;

    // --- shutdown ---------------------------------------------------------------------------
    // AdjustTokenPrivileges on this process's token for one privilege (OpenProcessToken with
    // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, LookupPrivilegeValueW); results are not reported.
    virtual void enablePrivilege(const std::wstring& name, std::uint32_t attributes) = 0;
    // InitiateSystemShutdownW on the local machine.
    virtual bool initiateSystemShutdown(const std::wstring& message, std::uint32_t timeoutSeconds, bool forceAppsClosed,
                                        bool reboot) = 0;
};

}  // namespace halvora
