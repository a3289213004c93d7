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
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {}
}

// A PROC_THREAD_ATTRIBUTE_LIST in memory of its own, initialised for `count` attributes and
// deleted with DeleteProcThreadAttributeList, as its documentation asks, before the memory goes.
class AttributeList {
public:
    explicit AttributeList(DWORD count) {
        SIZE_T size = 0;
        // The first call fails by design (ERROR_INSUFFICIENT_BUFFER) and gives the size.
        InitializeProcThreadAttributeList(nullptr, count, 0, &size);
        if (size == 0) return;
        memory_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory_.data());
        if (InitializeProcThreadAttributeList(list, count, 0, &size)) list_ = list;
    }
    ~AttributeList() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

private:
    std::vector<unsigned char> memory_;  // operator new's alignment, enough for the list
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

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

    // Exactly these handles are inherited, not every inheritable handle the process holds at the
    // moment (another thread's pipe, say, which would then stay open while the program runs).
    // Each is inheritable, as PROC_THREAD_ATTRIBUTE_HANDLE_LIST demands, and listed once. The
    // array must outlive the attribute list, which points into it.
    std::vector<HANDLE> inherited{writer.get()};
    if (input) inherited.push_back(input.get());
    AttributeList attributes(1);
    if (!attributes.get() ||
        !UpdateProcThreadAttribute(attributes.get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                   inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
        return notStarted();
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input ? input.get() : nullptr;
    startup.StartupInfo.hStdOutput = writer.get();
    startup.StartupInfo.hStdError = writer.get();
    startup.lpAttributeList = attributes.get();

    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                        nullptr, workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup.StartupInfo,
                        &started)) {
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
