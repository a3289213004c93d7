// The program's worker threads, made with CreateThread so that a failed start gives the
// platform's own error code.

#include <memory>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_system.hpp"

namespace halvora::win32 {

namespace {

class Win32WorkerThread : public WorkerThread {
public:
    explicit Win32WorkerThread(HANDLE thread) : thread_(thread) {}
    ~Win32WorkerThread() override { join(); }
    void join() override {
        if (!thread_) return;
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }

private:
    UniqueKernelHandle thread_;
};

DWORD WINAPI runBody(LPVOID parameter) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

std::unique_ptr<WorkerThread> Win32System::startThread(std::function<void()> body, std::uint32_t& error) {
    // The new thread owns its function once it runs; until CreateThread succeeds, this one does.
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    HANDLE thread = CreateThread(nullptr, 0, runBody, owned.get(), 0, nullptr);
    if (!thread) {
        error = GetLastError();
        SetLastError(0);
        return nullptr;
    }
    owned.release();
    error = 0;
    return std::make_unique<Win32WorkerThread>(thread);
}

}  // namespace halvora::win32
