// Starting a program hidden, its standard output and error read through one pipe until it ends.

#include "platform/win32/win32_system.hpp"

#include <vector>

#include <windows.h>

#include "platform/win32/win32_handles.hpp"

namespace halvora::win32 {

namespace {

// A start that failed reports the platform's error and leaves the last-error value clean, so
// that a later check of GetLastError does not see this failure again.
ProgramRun notStarted() {
    const DWORD error = GetLastError();
    SetLastError(ERROR_SUCCESS);
    return ProgramRun{false, error, 0};
}

// Reads the pipe until every writer has closed it (the program and anything it handed the
// handle to have ended) and throws the bytes away: a program whose output nobody reads stops
// once the pipe's buffer is full.
void drain(HANDLE pipe) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
}

}  // namespace

ProgramRun Win32System::runHiddenProgram(const std::wstring& commandLine, const std::wstring& workingFolder) {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return notStarted();
    UniqueKernelHandle reader{readEnd};
    UniqueKernelHandle writer{writeEnd};
    // The program gets the write end only; were the read end inherited too, the pipe would never
    // report its end while the program lives on holding both.
    if (!SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0)) return notStarted();
    // A program that reads its input finds it empty instead of waiting on a console it lacks.
    UniqueKernelHandle input{CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = input ? input.get() : nullptr;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();

    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
        return notStarted();
    }
    UniqueKernelHandle process{started.hProcess};
    UniqueKernelHandle thread{started.hThread};
    // With the parent's copy of the write end closed, the pipe ends when the program's does.
    writer.reset();
    input.reset();
    drain(reader.get());
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) {
        // The program ran, but how it ended cannot be read: reported as the platform's error.
        return ProgramRun{true, GetLastError(), 0xFFFFFFFFu};
    }
    return ProgramRun{true, 0, exitCode};
}

}  // namespace halvora::win32
