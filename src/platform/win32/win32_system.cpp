#include "platform/win32/win32_system.hpp"

#include <algorithm>

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_imaging.hpp"
#include "platform/win32/win32_volumes.hpp"
#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

// How long a second instance waits for the first to take its arguments.
constexpr UINT kHandOverTimeoutMs = 5000;

class Win32Handle final : public SystemHandle {
public:
    explicit Win32Handle(HANDLE handle) : handle_(handle) {}

private:
    UniqueKernelHandle handle_;
};

// Calls `get(buffer, size)` with a growing buffer until the result fits.
template <typename Get>
std::wstring growingBuffer(Get get, DWORD initial = MAX_PATH) {
    std::wstring buffer(initial, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD n = get(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(std::max<std::size_t>(n + 1, buffer.size() * 2));
    }
    return {};
}

}  // namespace

std::optional<std::wstring> Win32System::environmentVariable(const std::wstring& name) {
    SetLastError(ERROR_SUCCESS);
    DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (needed == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::wstring{};
    }
    std::wstring value(needed, L'\0');
    DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), needed);
    if (n >= needed) return std::nullopt;  // changed in between; treat as unreadable
    value.resize(n);
    return value;
}

std::wstring Win32System::tempPath() {
    return growingBuffer([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); }, MAX_PATH + 1);
}

std::wstring Win32System::modulePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {  // a cut path fills the buffer exactly
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::wstring Win32System::systemDirectory() {
    return growingBuffer([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); });
}

std::vector<std::wstring> Win32System::arguments() {
    int count = 0;
    UniqueArgv argv{CommandLineToArgvW(GetCommandLineW(), &count)};
    std::vector<std::wstring> result;
    if (!argv) return result;
    for (int i = 1; i < count; ++i) result.emplace_back(argv.get()[i]);
    return result;
}

std::int64_t Win32System::fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool Win32System::folderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32System::readFile(const std::wstring& path, std::string& bytes) {
    UniqueKernelHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > bytes.max_size()) {
        return false;
    }
    std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), content.data() + done, chunk, &got, nullptr)) return false;
        if (got == 0) break;
        done += got;
    }
    content.resize(done);
    bytes = std::move(content);
    return true;
}

bool Win32System::writeFile(const std::wstring& path, const std::string& bytes) {
    UniqueKernelHandle file{
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool Win32System::deleteFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

std::optional<OsVersion> Win32System::rtlGetVersion() {
    UniqueModule ntdll = loadSystemLibrary(L"ntdll.dll");
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto get = procAddress<RtlGetVersionFn>(ntdll.get(), "RtlGetVersion");
    if (!get) return std::nullopt;
    OSVERSIONINFOW info{};
    static_assert(sizeof(info) == 276);
    info.dwOSVersionInfoSize = sizeof(info);
    if (get(&info) != 0) return std::nullopt;
    return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

Volumes& Win32System::volumes() {
    if (!volumes_) volumes_ = openVolumes();
    return *volumes_;
}

ImagingLibrary& Win32System::imaging() {
    if (!imaging_) imaging_ = openImagingLibrary();
    return *imaging_;
}

std::wstring Win32System::currentDirectory() {
    return growingBuffer([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

namespace {

SYSTEMTIME toSystemTime(const SystemTime& t) {
    SYSTEMTIME st{};
    st.wYear = t.year;
    st.wMonth = t.month;
    st.wDayOfWeek = t.dayOfWeek;
    st.wDay = t.day;
    st.wHour = t.hour;
    st.wMinute = t.minute;
    st.wSecond = t.second;
    st.wMilliseconds = t.milliseconds;
    return st;
}

}  // namespace

namespace {

// GetDateFormatW and GetTimeFormatW take the same arguments and answer the same way.
template <typename Format>
std::optional<std::wstring> formatWith(Format format, std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                       int capacity) {
    const SYSTEMTIME st = toSystemTime(time);
    std::wstring buffer(static_cast<std::size_t>(capacity > 0 ? capacity : 1), L'\0');
    const int n = format(locale, flags, &st, nullptr, buffer.data(), capacity);
    if (n <= 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(n - 1));
    return buffer;
}

}  // namespace

std::optional<std::wstring> Win32System::formatDate(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                    int capacity) {
    return formatWith(GetDateFormatW, locale, flags, time, capacity);
}

std::optional<std::wstring> Win32System::formatTime(std::uint32_t locale, std::uint32_t flags, const SystemTime& time,
                                                    int capacity) {
    return formatWith(GetTimeFormatW, locale, flags, time, capacity);
}

std::wstring Win32System::userDefaultLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    int n = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return n > 0 ? std::wstring(name) : std::wstring{};
}

void Win32System::messageBeep(std::uint32_t type) { MessageBeep(type); }

std::unique_ptr<VersionLibrary> Win32System::loadVersionLibrary() { return openVersionLibrary(); }

std::unique_ptr<VirtualDiskLibrary> Win32System::loadVirtualDiskLibrary() { return openVirtualDiskLibrary(); }

std::unique_ptr<SystemHandle> Win32System::createMutex(const std::wstring& name, std::uint32_t& lastError) {
    // On success CreateMutexW is documented to set ERROR_ALREADY_EXISTS when the mutex was there
    // before, and nothing about clearing the value otherwise: whatever an earlier call left
    // behind must not read as "another copy runs".
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    lastError = GetLastError();
    if (!mutex) return nullptr;
    return std::make_unique<Win32Handle>(mutex);
}

std::uint64_t Win32System::findWindow(const std::wstring& title) {
    return reinterpret_cast<std::uintptr_t>(FindWindowW(nullptr, title.c_str()));
}

std::intptr_t Win32System::sendCopyData(std::uint64_t window, std::uintptr_t dwData, const void* data,
                                        std::uint32_t size) {
    COPYDATASTRUCT cds{};
    cds.dwData = dwData;
    cds.cbData = size;
    cds.lpData = const_cast<void*>(data);
    // A first instance that is hung, or busy in a long handler, must not keep this one waiting
    // for ever: after the timeout the hand-over counts as failed and this instance still ends.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), WM_COPYDATA, 0,
                             reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK, kHandOverTimeoutMs,
                             &result)) {
        return 0;
    }
    return static_cast<std::intptr_t>(result);
}

void Win32System::enablePrivilege(const std::wstring& name, std::uint32_t attributes) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = attributes;
    if (!LookupPrivilegeValueW(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) return;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

bool Win32System::initiateSystemShutdown(const std::wstring& message, std::uint32_t timeoutSeconds,
                                         bool forceAppsClosed, bool reboot) {
    std::wstring text = message;  // the API takes a writable string
    return InitiateSystemShutdownW(nullptr, text.data(), timeoutSeconds, forceAppsClosed, reboot) != FALSE;
}

}  // namespace halvora::win32
