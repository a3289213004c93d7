#include "message_callbacks.hpp"

#include <vector>

namespace standin {

namespace {

using MessageProc = DWORD(CALLBACK*)(DWORD, WPARAM, LPARAM, PVOID);

struct Registration {
    HANDLE handle;  // null: every handle
    FARPROC proc;
    PVOID user;
};

// Registration may come from any thread, and a callback may unregister while a message is out:
// the list is read under the lock, and the callbacks are called outside it.
SRWLOCK lock = SRWLOCK_INIT;
std::vector<Registration> registrations;

class Exclusive {
public:
    Exclusive() { AcquireSRWLockExclusive(&lock); }
    ~Exclusive() { ReleaseSRWLockExclusive(&lock); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;
};

}  // namespace

DWORD sendMessage(HANDLE image, HANDLE wim, DWORD message, WPARAM wParam, LPARAM lParam) {
    std::vector<Registration> receivers;
    {
        Exclusive guard;
        for (const Registration& r : registrations) {
            if (!r.handle || r.handle == image || r.handle == wim) receivers.push_back(r);
        }
    }
    for (const Registration& r : receivers) {
        const auto proc = reinterpret_cast<MessageProc>(reinterpret_cast<void*>(r.proc));
        const DWORD answer = proc(message, wParam, lParam, r.user);
        if (answer == kMsgAbortImage) return kMsgAbortImage;
        if (answer == kMsgDone) break;
    }
    return kMsgSuccess;
}

}  // namespace standin

extern "C" {

// Returns the callback's zero-based index among those of its handle.
DWORD WINAPI WIMRegisterMessageCallback(HANDLE handle, FARPROC callback, PVOID user) {
    if (!callback) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0xFFFFFFFF;
    }
    standin::Exclusive guard;
    DWORD index = 0;
    for (const standin::Registration& r : standin::registrations) {
        if (r.handle == handle) ++index;
    }
    standin::registrations.push_back({handle, callback, user});
    return index;
}

// A null callback removes every callback of the handle; a null handle with a null callback
// removes them all.
BOOL WINAPI WIMUnregisterMessageCallback(HANDLE handle, FARPROC callback) {
    standin::Exclusive guard;
    std::erase_if(standin::registrations, [&](const standin::Registration& r) {
        if (!handle && !callback) return true;
        return r.handle == handle && (!callback || r.proc == callback);
    });
    return TRUE;
}

}  // extern "C"
