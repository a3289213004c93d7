// System::runHiddenProgram of the win32 backend in the probe's own process, with the Bcdboot
// stand-in (tests/wine/bcdboot_standin) that the test script puts into System32. The stand-in
// reports how it was started in bcdboot-standin-report.txt of its working folder, writes a
// megabyte to its standard output and ends with the code of its /exit:N argument.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <string>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_system.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

constexpr wchar_t kReportName[] = L"bcdboot-standin-report.txt";

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// The report's "key=value" lines; empty when there is no report.
std::map<std::wstring, std::wstring> readReport(const std::wstring& folder) {
    std::map<std::wstring, std::wstring> values;
    halvora::win32::Win32System system;
    std::string bytes;
    if (!system.readFile(folder + L"\\" + kReportName, bytes)) return values;
    const std::wstring text = wide(bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        const std::size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 2;
    }
    return values;
}

}  // namespace

int checkPrograms() {
    halvora::win32::Win32System system;
    const std::wstring standIn = system.systemDirectory() + L"\\Bcdboot.exe";
    check(system.fileSize(standIn) > 0, "the Bcdboot stand-in is in System32", utf8(standIn));

    const std::wstring folder = system.tempPath() + L"halvora 작업 폴더";
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + L"\\" + kReportName).c_str());
    // An inheritable handle that the program is not meant to get: Bcdboot must inherit only its
    // standard handles, not whatever another thread of this process has open at the moment.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    halvora::win32::UniqueKernelHandle stray{CreateEventW(&inheritable, TRUE, TRUE, nullptr)};
    const std::wstring commandLine = L"\"" + standIn + L"\" C:\\Windows /s S: /f ALL /exit:193 /probe-handle:" +
                                     std::to_wstring(reinterpret_cast<std::uintptr_t>(stray.get()));

    // A call that never returns would hang the probe; it runs on a thread of its own and is
    // given up (and reported) after a minute.
    auto pending = std::async(std::launch::async, [&] {
        halvora::win32::Win32System caller;
        return caller.runHiddenProgram(commandLine, folder);
    });
    const bool returned = pending.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    check(returned, "runHiddenProgram returns while the program writes a megabyte to its output",
          "no return after 60 s: the pipe is not read while the program runs");
    if (!returned) {
        // The stuck call cannot be cancelled; the process ends here with what it found.
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(failures));
    }
    const halvora::ProgramRun run = pending.get();
    check(run.started && run.exitCode == 193, "the program started and its exit code 193 comes back",
          "started " + std::to_string(run.started) + ", error " + std::to_string(run.error) + ", exit code " +
              std::to_string(run.exitCode));

    const auto report = readReport(folder);
    check(!report.empty(), "the program wrote its report into the working folder", utf8(folder));
    auto value = [&](const wchar_t* key) {
        auto it = report.find(key);
        return it == report.end() ? std::wstring(L"<missing>") : it->second;
    };
    check(value(L"hidden") == L"yes", "it was started hidden: STARTF_USESHOWWINDOW with SW_HIDE",
          "hidden=" + utf8(value(L"hidden")));
    check(_wcsicmp(value(L"folder").c_str(), folder.c_str()) == 0, "its current folder is the working folder given",
          "folder=" + utf8(value(L"folder")));
    check(value(L"command") == commandLine, "its command line is the one given, unchanged",
          "command=" + utf8(value(L"command")));
    check(value(L"output") == L"pipe" && value(L"errors") == L"pipe", "its standard output and error are pipes",
          "output=" + utf8(value(L"output")) + ", errors=" + utf8(value(L"errors")));
    check(stray && value(L"stray") == L"not-inherited",
          "it inherits only its standard handles, not another inheritable handle of the caller",
          "stray=" + utf8(value(L"stray")));

    const halvora::ProgramRun missing =
        system.runHiddenProgram(L"\"" + system.systemDirectory() + L"\\halvora-no-such-program.exe\" /x", folder);
    check(!missing.started && missing.error == ERROR_FILE_NOT_FOUND,
          "a program that does not exist is not started, with error 2",
          "started " + std::to_string(missing.started) + ", error " + std::to_string(missing.error));

    DeleteFileW((folder + L"\\" + kReportName).c_str());
    RemoveDirectoryW(folder.c_str());
    return failures;
}

}  // namespace probe
