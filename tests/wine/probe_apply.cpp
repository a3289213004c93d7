// The win32 imaging backend's apply glue in the probe's own process, against the stand-in
// wimgapi.dll: WIMApplyImage on a worker thread, as the installer runs it, with the program's
// kind of message callback (a std::function registered for every handle). The stand-in's
// messages are fixed (tests/wine/wimgapi_standin/README.md): progress 0, 10, ... 100 percent
// with (100 - percent) * 100 ms left; on request an error message at 50 percent naming
// <target>\Windows\System32\드라이버 저장소.dat; and a marker file in the target on success.

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/win32_imaging.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

constexpr wchar_t kFailureVariable[] = L"HALVORA_STANDIN_APPLY_ERROR";
constexpr wchar_t kMarkerName[] = L"halvora-standin-apply.txt";
constexpr wchar_t kFailedFile[] = L"\\Windows\\System32\\드라이버 저장소.dat";
constexpr std::uint32_t kDiskFull = 112;  // ERROR_DISK_FULL, the failure asked of the stand-in

struct Message {
    DWORD thread = 0;
    std::uint32_t id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::wstring path;  // the error message's path, read while the callback runs
};

// What the callback saw, and when it is to answer WIM_MSG_ABORT_IMAGE.
struct Receiver {
    std::mutex mutex;
    std::vector<Message> messages;
    int abortAtPercent = -1;

    std::uint32_t receive(std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam) {
        Message m{GetCurrentThreadId(), id, wParam, lParam, {}};
        if (id == halvora::kWimMsgError && wParam) m.path = reinterpret_cast<const wchar_t*>(wParam);
        std::lock_guard lock(mutex);
        messages.push_back(m);
        const bool abort = id == halvora::kWimMsgProgress && abortAtPercent >= 0 &&
                           wParam >= static_cast<std::uintptr_t>(abortAtPercent);
        return abort ? halvora::kWimMsgAbortImage : halvora::kWimMsgSuccess;
    }

    std::vector<Message> take() {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }
};

struct ApplyResult {
    bool ok = false;
    std::uint32_t error = 0;
    DWORD thread = 0;
};

// applyImage on a thread of its own, with the last error read on that thread.
ApplyResult applyOnWorker(halvora::ImagingLibrary& wim, halvora::WimHandle image, const std::wstring& target,
                          std::uint32_t flags) {
    ApplyResult result;
    std::thread worker([&] {
        result.thread = GetCurrentThreadId();
        result.ok = wim.applyImage(image, target, flags);
        result.error = result.ok ? 0 : wim.lastError();
    });
    worker.join();
    return result;
}

std::string readMarker(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<none>";
    char buffer[1024];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

bool onThread(const std::vector<Message>& messages, DWORD thread) {
    for (const Message& m : messages) {
        if (m.thread != thread) return false;
    }
    return true;
}

// Progress messages 0, 10, ... up to `lastPercent`, each with its time left, and nothing else.
bool progressUpTo(const std::vector<Message>& messages, std::size_t count, int lastPercent) {
    if (messages.size() < count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const int percent = static_cast<int>(i) * 10;
        const Message& m = messages[i];
        if (m.id != halvora::kWimMsgProgress || m.wParam != static_cast<std::uintptr_t>(percent) ||
            m.lParam != (100 - percent) * 100) {
            return false;
        }
    }
    return static_cast<int>(count - 1) * 10 == lastPercent;
}

std::string describe(const std::vector<Message>& messages) {
    std::string out = std::to_string(messages.size()) + " messages:";
    for (const Message& m : messages) {
        char line[96];
        std::snprintf(line, sizeof line, " %04X(%llu,%lld)", m.id, static_cast<unsigned long long>(m.wParam),
                      static_cast<long long>(m.lParam));
        out += line;
    }
    return out;
}

}  // namespace

int checkApply(const std::wstring& wimPath) {
    auto wim = halvora::win32::openImagingLibrary();
    const halvora::WimHandle file =
        wim->createFile(wimPath, halvora::kWimGenericRead, halvora::kWimOpenExisting, 0, 0, nullptr);
    const halvora::WimHandle image = file ? wim->loadImage(file, 2) : 0;
    check(file != 0 && image != 0 && image != file, "WIMLoadImage gives a handle of its own for image 2",
          "error " + std::to_string(wim->lastError()));
    if (!image) return failures;

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring target = std::wstring(temp) + L"halvora apply 대상";
    const std::wstring marker = target + L"\\" + kMarkerName;
    CreateDirectoryW(target.c_str(), nullptr);
    DeleteFileW(marker.c_str());

    Receiver receiver;
    const std::uint32_t index =
        wim->registerMessageCallback(0, [&receiver](std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam) {
            return receiver.receive(id, wParam, lParam);
        });
    check(index != halvora::kWimInvalidCallback, "the program's callback registers for every handle");

    ApplyResult run = applyOnWorker(*wim, image, target, halvora::kWimApplyCompact);
    std::vector<Message> got = receiver.take();
    check(run.ok, "WIMApplyImage applies image 2 to a folder", "error " + std::to_string(run.error));
    check(!got.empty() && onThread(got, run.thread) && run.thread != GetCurrentThreadId(),
          "every message reaches the callback on the worker thread that called applyImage");
    check(got.size() == 11 && progressUpTo(got, 11, 100),
          "progress arrives as 0 to 100 percent in wParam with the milliseconds left in lParam", describe(got));
    const std::string expectedMarker = "image=2 flags=0x4000 file=" + utf8(wimPath) + "\r\n";
    const std::string written = readMarker(marker);
    check(written == expectedMarker, "the apply ran on image 2 with WIM_FLAG_COMPACT (0x4000) passed on",
          "the marker says \"" + written.substr(0, written.find('\r')) + "\"");

    // An error on the way: the error message comes with its path and code, then the apply fails.
    DeleteFileW(marker.c_str());
    SetEnvironmentVariableW(kFailureVariable, std::to_wstring(kDiskFull).c_str());
    run = applyOnWorker(*wim, image, target, 0);
    SetEnvironmentVariableW(kFailureVariable, nullptr);
    got = receiver.take();
    check(!run.ok && run.error == kDiskFull, "a failing apply returns false and lastError() gives its code, 112",
          "result " + std::to_string(run.ok) + ", error " + std::to_string(run.error));
    const bool errorLast = got.size() == 6 && progressUpTo(got, 5, 40) && got[5].id == halvora::kWimMsgError;
    check(errorLast && got[5].lParam == static_cast<std::intptr_t>(kDiskFull) && onThread(got, run.thread),
          "WIM_MSG_ERROR follows the progress with the error code in lParam, on the worker thread", describe(got));
    const std::wstring failedPath = target + kFailedFile;
    check(errorLast && got[5].path == failedPath,
          "the error message's wParam reads back as the path sent, \"" + utf8(failedPath) + "\"",
          errorLast ? "it reads \"" + utf8(got[5].path) + "\"" : "no error message");

    // The callback's WIM_MSG_ABORT_IMAGE stops the apply at once.
    receiver.abortAtPercent = 30;
    run = applyOnWorker(*wim, image, target, 0);
    receiver.abortAtPercent = -1;
    got = receiver.take();
    check(!run.ok && run.error == ERROR_REQUEST_ABORTED,
          "answering WIM_MSG_ABORT_IMAGE makes the apply fail with ERROR_REQUEST_ABORTED (1235)",
          "result " + std::to_string(run.ok) + ", error " + std::to_string(run.error));
    check(got.size() == 4 && progressUpTo(got, 4, 30) && readMarker(marker) == "<none>",
          "no message follows the one answered with the abort, and nothing is left in the target", describe(got));

    // Once unregistered the callback hears nothing, and the apply goes on without it.
    check(wim->unregisterMessageCallback(0), "the program's callbacks unregister");
    run = applyOnWorker(*wim, image, target, 0);
    got = receiver.take();
    check(run.ok && got.empty(), "an apply after that succeeds and calls no freed callback", describe(got));

    check(wim->closeHandle(image) && wim->closeHandle(file), "WIMCloseHandle closes the image, then its file");
    DeleteFileW(marker.c_str());
    RemoveDirectoryW(target.c_str());
    return failures;
}

}  // namespace probe
