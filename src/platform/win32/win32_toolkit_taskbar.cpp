// Progress on the program's taskbar button (ITaskbarList3). The object lives in the interface
// thread's apartment, so workers hand their values to that thread.

#include "platform/win32/win32_toolkit.hpp"

namespace halvora::win32 {

namespace {
// {56FDF344-FD6D-11D0-958A-006097C9A090}
constexpr CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
}  // namespace

bool Win32Toolkit::createTaskbarProgress(const ControlName& window) {
    HWND hwnd = handleOf(window);
    if (!hwnd) return false;
    bool created = false;
    runOnUiThread([&] {
        taskbar_.reset();
        taskbarWindow_ = nullptr;
        if (FAILED(CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_ALL, IID_ITaskbarList3, taskbar_.out())) ||
            !taskbar_) {
            return;
        }
        if (FAILED(taskbar_->HrInit())) {
            taskbar_.reset();
            return;
        }
        taskbarWindow_ = hwnd;
        created = true;
    });
    return created;
}

void Win32Toolkit::releaseTaskbarProgress() {
    runOnUiThread([&] {
        taskbar_.reset();
        taskbarWindow_ = nullptr;
    });
}

void Win32Toolkit::setTaskbarProgress(std::uint64_t done, std::uint64_t total) {
    if (GetCurrentThreadId() == uiThread_)
        setTaskbarValueOnUiThread(done, total);
    else
        PostMessageW(serviceWindow_.get(), kTaskbarValueMessage, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
}

void Win32Toolkit::clearTaskbarProgress() {
    if (GetCurrentThreadId() == uiThread_)
        clearTaskbarOnUiThread();
    else
        PostMessageW(serviceWindow_.get(), kTaskbarClearMessage, 0, 0);
}

void Win32Toolkit::setTaskbarValueOnUiThread(std::uint64_t done, std::uint64_t total) {
    if (taskbar_) taskbar_->SetProgressValue(taskbarWindow_, done, total);
}

void Win32Toolkit::clearTaskbarOnUiThread() {
    if (taskbar_) taskbar_->SetProgressState(taskbarWindow_, TBPF_NOPROGRESS);
}

}  // namespace halvora::win32
