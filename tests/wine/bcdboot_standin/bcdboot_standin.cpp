// A console program that plays Bcdboot.exe for the Wine tests, where there is none. It does not
// touch any boot files: it shows how it was started. First it writes
// bcdboot-standin-report.txt into its current folder (UTF-8, one "key=value" line each):
//
//   folder=<GetCurrentDirectoryW>
//   command=<GetCommandLineW>
//   hidden=yes|no       STARTF_USESHOWWINDOW with SW_HIDE in its STARTUPINFO
//   output=pipe|...     the kind of its standard output handle (pipe, file, console, none)
//   errors=pipe|...     the same for its standard error
//   stray=inherited|not-inherited
//                       with "/probe-handle:N": whether handle value N of its caller, a signalled
//                       event, reached it (only the handles its caller meant to give may)
//
// then one megabyte of text on standard output without a final line break, more than any pipe
// buffer holds, so that a caller that waits for the exit before reading the pipe never sees the
// exit; and it ends with the code of its "/exit:N" argument (0 without one). Never shipped.

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kReportName[] = L"bcdboot-standin-report.txt";
constexpr std::size_t kOutputBytes = 1024 * 1024;

std::string utf8(const std::wstring& text) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring currentFolder() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

bool startedHidden() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE;
}

const char* handleKind(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
    switch (GetFileType(handle)) {
        case FILE_TYPE_PIPE:
            return "pipe";
        case FILE_TYPE_DISK:
            return "file";
        case FILE_TYPE_CHAR:
            return "console";
        default:
            return "unknown";
    }
}

bool writeAll(HANDLE handle, const char* bytes, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// The handle value named by "/probe-handle:N" names a signalled event in this process only when
// it was inherited.
std::string strayHandle(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        if (_wcsnicmp(argv[i], L"/probe-handle:", 14) == 0) {
            const auto value = static_cast<std::uintptr_t>(std::wcstoull(argv[i] + 14, nullptr, 10));
            HANDLE handle = reinterpret_cast<HANDLE>(value);
            return "\r\nstray=" +
                   std::string(WaitForSingleObject(handle, 0) == WAIT_OBJECT_0 ? "inherited" : "not-inherited");
        }
    }
    return {};
}

void writeReport(int argc, wchar_t** argv) {
    const std::string text =
        "folder=" + utf8(currentFolder()) + "\r\ncommand=" + utf8(GetCommandLineW()) +
        "\r\nhidden=" + (startedHidden() ? "yes" : "no") + "\r\noutput=" + handleKind(GetStdHandle(STD_OUTPUT_HANDLE)) +
        "\r\nerrors=" + handleKind(GetStdHandle(STD_ERROR_HANDLE)) + strayHandle(argc, argv) + "\r\n";
    HANDLE file = CreateFileW(kReportName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    writeAll(file, text.data(), text.size());
    CloseHandle(file);
}

// Lines of text as a tool's log would have them, cut at exactly one megabyte.
void writeOutput() {
    std::string block;
    while (block.size() < kOutputBytes) block += "Boot files copied to the system partition, line of filler text.\r\n";
    block.resize(kOutputBytes);
    if (block.back() == '\n') block.back() = '.';
    writeAll(GetStdHandle(STD_OUTPUT_HANDLE), block.data(), block.size());
}

UINT exitCode(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        if (_wcsnicmp(argv[i], L"/exit:", 6) == 0) return static_cast<UINT>(std::wcstoul(argv[i] + 6, nullptr, 10));
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    writeReport(argc, argv);
    writeOutput();
    return static_cast<int>(exitCode(argc, argv));
}
