// wimgapi.dll of System32, loaded by full path when the program first asks for imaging and kept
// for the rest of the process. Nothing links against it at build time: where it is missing (or
// lacks a function) each call fails with the platform's own error and the program goes on.

#include "platform/win32/win32_imaging.hpp"

#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

// The documented signatures (all WINAPI).
using CreateFileFn = HANDLE(WINAPI*)(PCWSTR, DWORD, DWORD, DWORD, DWORD, PDWORD);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);
using GetImageInformationFn = BOOL(WINAPI*)(HANDLE, PVOID*, PDWORD);
using GetAttributesFn = BOOL(WINAPI*)(HANDLE, PVOID, DWORD);
using SetReferenceFileFn = BOOL(WINAPI*)(HANDLE, PCWSTR, DWORD);
using SetTemporaryPathFn = BOOL(WINAPI*)(HANDLE, PCWSTR);
using LoadImageFn = HANDLE(WINAPI*)(HANDLE, DWORD);
using ApplyImageFn = BOOL(WINAPI*)(HANDLE, PCWSTR, DWORD);
using RegisterMessageCallbackFn = DWORD(WINAPI*)(HANDLE, FARPROC, PVOID);
using UnregisterMessageCallbackFn = BOOL(WINAPI*)(HANDLE, FARPROC);
using RegisterLogFileFn = BOOL(WINAPI*)(PCWSTR, DWORD);
using UnregisterLogFileFn = BOOL(WINAPI*)(PCWSTR);
using MessageProc = DWORD(WINAPI*)(DWORD, WPARAM, LPARAM, PVOID);

HANDLE toHandle(WimHandle handle) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)); }
WimHandle fromHandle(HANDLE handle) { return static_cast<WimHandle>(reinterpret_cast<std::uintptr_t>(handle)); }

// The library calls this on the thread of the operation; the user data is the program's callback,
// which stays alive until it is unregistered.
DWORD WINAPI messageTrampoline(DWORD message, WPARAM wParam, LPARAM lParam, PVOID user) {
    auto* callback = static_cast<WimMessageCallback*>(user);
    if (!callback || !*callback) return kWimMsgSuccess;
    return (*callback)(message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
}

FARPROC trampolineAddress() {
    const MessageProc proc = &messageTrampoline;  // checks the signature the library expects
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(proc));
}

// Owns a buffer that the library allocated with LocalAlloc.
struct LocalBuffer {
    PVOID data = nullptr;
    ~LocalBuffer() {
        if (data) LocalFree(data);
    }
};

// Wine's own wimgapi.dll is a builtin placeholder: most of its exports end the process when they
// are called (WIMUnregisterMessageCallback among them, which the program calls on its way out),
// and nothing a caller can do catches that. Wine marks its builtin modules with this text right
// after the DOS header.
bool isWineBuiltin(HMODULE module) {
    static constexpr char kSignature[] = "Wine builtin DLL";
    const auto* header = reinterpret_cast<const char*>(module) + sizeof(IMAGE_DOS_HEADER);
    return std::memcmp(header, kSignature, sizeof kSignature - 1) == 0;
}

class Win32Imaging final : public ImagingLibrary {
public:
    Win32Imaging() : module_(loadSystemLibrary(L"wimgapi.dll")) {
        loadError_ = module_ ? ERROR_SUCCESS : GetLastError();
        if (!module_ && loadError_ == ERROR_SUCCESS) loadError_ = ERROR_MOD_NOT_FOUND;
        if (module_ && isWineBuiltin(module_.get())) {
            // A library that implements nothing: every call fails as Wine's WIMCreateFile does.
            module_.reset();
            loadError_ = ERROR_CALL_NOT_IMPLEMENTED;
        }
        HMODULE m = module_.get();
        createFile_ = procAddress<CreateFileFn>(m, "WIMCreateFile");
        closeHandle_ = procAddress<CloseHandleFn>(m, "WIMCloseHandle");
        getImageInformation_ = procAddress<GetImageInformationFn>(m, "WIMGetImageInformation");
        getAttributes_ = procAddress<GetAttributesFn>(m, "WIMGetAttributes");
        setReferenceFile_ = procAddress<SetReferenceFileFn>(m, "WIMSetReferenceFile");
        setTemporaryPath_ = procAddress<SetTemporaryPathFn>(m, "WIMSetTemporaryPath");
        loadImage_ = procAddress<LoadImageFn>(m, "WIMLoadImage");
        applyImage_ = procAddress<ApplyImageFn>(m, "WIMApplyImage");
        registerMessageCallback_ = procAddress<RegisterMessageCallbackFn>(m, "WIMRegisterMessageCallback");
        unregisterMessageCallback_ = procAddress<UnregisterMessageCallbackFn>(m, "WIMUnregisterMessageCallback");
        registerLogFile_ = procAddress<RegisterLogFileFn>(m, "WIMRegisterLogFile");
        unregisterLogFile_ = procAddress<UnregisterLogFileFn>(m, "WIMUnregisterLogFile");
    }

    ~Win32Imaging() override {
        // The library must not call into callbacks that are about to be freed, nor after the
        // module is gone: unregister first, then the module is released by its owner. Nothing
        // else runs by now; the library is still called without the lock, as everywhere.
        bool registered = false;
        {
            std::lock_guard lock(callbacksMutex_);
            registered = !callbacks_.empty();
        }
        if (registered && module_ && unregisterMessageCallback_) unregisterMessageCallback_(nullptr, nullptr);
        callbacks_.clear();
    }

    Win32Imaging(const Win32Imaging&) = delete;
    Win32Imaging& operator=(const Win32Imaging&) = delete;

    std::uint32_t lastError() override { return GetLastError(); }

    WimHandle createFile(const std::wstring& path, std::uint32_t access, std::uint32_t disposition, std::uint32_t flags,
                         std::uint32_t compression, std::uint32_t* creationResult) override {
        if (!available(createFile_)) return 0;
        DWORD result = 0;
        HANDLE handle = createFile_(path.c_str(), access, disposition, flags, compression, &result);
        if (creationResult) *creationResult = result;
        return fromHandle(handle);
    }

    bool closeHandle(WimHandle handle) override {
        return available(closeHandle_) && closeHandle_(toHandle(handle)) != FALSE;
    }

    bool getImageInformation(WimHandle handle, std::u16string& information) override {
        information.clear();
        if (!available(getImageInformation_)) return false;
        LocalBuffer buffer;
        DWORD bytes = 0;
        if (!getImageInformation_(toHandle(handle), &buffer.data, &bytes)) return false;
        if (buffer.data) information.assign(static_cast<const char16_t*>(buffer.data), bytes / sizeof(char16_t));
        return true;
    }

    bool getAttributes(WimHandle handle, void* info, std::uint32_t size) override {
        return available(getAttributes_) && getAttributes_(toHandle(handle), info, size) != FALSE;
    }

    bool setReferenceFile(WimHandle handle, const std::wstring& path, std::uint32_t flags) override {
        return available(setReferenceFile_) && setReferenceFile_(toHandle(handle), path.c_str(), flags) != FALSE;
    }

    bool setTemporaryPath(WimHandle handle, const std::wstring& path) override {
        return available(setTemporaryPath_) && setTemporaryPath_(toHandle(handle), path.c_str()) != FALSE;
    }

    WimHandle loadImage(WimHandle handle, std::uint32_t index) override {
        return available(loadImage_) ? fromHandle(loadImage_(toHandle(handle), index)) : 0;
    }

    bool applyImage(WimHandle image, const std::wstring& path, std::uint32_t flags) override {
        return available(applyImage_) && applyImage_(toHandle(image), path.c_str(), flags) != FALSE;
    }

    std::uint32_t registerMessageCallback(WimHandle handle, WimMessageCallback callback) override {
        if (!available(registerMessageCallback_)) return kWimInvalidCallback;
        // The callback is kept before the library may call it. The library itself is called
        // without the lock: it may be calling a callback on the applying thread at this moment,
        // and that callback writes controls through messages that this thread may have to answer.
        auto stored = std::make_unique<WimMessageCallback>(std::move(callback));
        WimMessageCallback* const user = stored.get();
        {
            std::lock_guard lock(callbacksMutex_);
            callbacks_[handle].push_back(std::move(stored));
        }
        const DWORD index = registerMessageCallback_(toHandle(handle), trampolineAddress(), user);
        if (index == kWimInvalidCallback) {
            std::unique_ptr<WimMessageCallback> refused;  // freed after the lock is released
            std::lock_guard lock(callbacksMutex_);
            auto& kept = callbacks_[handle];
            for (auto it = kept.begin(); it != kept.end(); ++it) {
                if (it->get() == user) {
                    refused = std::move(*it);
                    kept.erase(it);
                    break;
                }
            }
            if (kept.empty()) callbacks_.erase(handle);
        }
        return index;
    }

    bool unregisterMessageCallback(WimHandle handle) override {
        if (!available(unregisterMessageCallback_)) return false;
        if (!unregisterMessageCallback_(toHandle(handle), nullptr)) return false;
        // The library has let go of them; only now may they be freed, outside the lock.
        std::map<WimHandle, std::vector<std::unique_ptr<WimMessageCallback>>> released;
        std::lock_guard lock(callbacksMutex_);
        if (handle == 0) {
            std::swap(released, callbacks_);
        } else if (auto it = callbacks_.find(handle); it != callbacks_.end()) {
            released[handle] = std::move(it->second);
            callbacks_.erase(it);
        }
        return true;
    }

    bool registerLogFile(const std::wstring& path, std::uint32_t flags) override {
        return available(registerLogFile_) && registerLogFile_(path.c_str(), flags) != FALSE;
    }

    bool unregisterLogFile(const std::wstring& path) override {
        return available(unregisterLogFile_) && unregisterLogFile_(path.c_str()) != FALSE;
    }

private:
    // Whether the function can be called; if not, the thread's last error says why: the load's
    // own error when the DLL is missing, ERROR_PROC_NOT_FOUND when only the function is.
    template <typename Function>
    bool available(Function function) const {
        if (!module_) {
            SetLastError(loadError_);
            return false;
        }
        if (!function) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return false;
        }
        return true;
    }

    UniqueModule module_;
    DWORD loadError_ = ERROR_SUCCESS;
    CreateFileFn createFile_ = nullptr;
    CloseHandleFn closeHandle_ = nullptr;
    GetImageInformationFn getImageInformation_ = nullptr;
    GetAttributesFn getAttributes_ = nullptr;
    SetReferenceFileFn setReferenceFile_ = nullptr;
    SetTemporaryPathFn setTemporaryPath_ = nullptr;
    LoadImageFn loadImage_ = nullptr;
    ApplyImageFn applyImage_ = nullptr;
    RegisterMessageCallbackFn registerMessageCallback_ = nullptr;
    UnregisterMessageCallbackFn unregisterMessageCallback_ = nullptr;
    RegisterLogFileFn registerLogFile_ = nullptr;
    UnregisterLogFileFn unregisterLogFile_ = nullptr;

    // The program's callbacks by the handle they were registered for (0: every handle). The
    // library holds raw pointers to them, so each lives until its handle is unregistered.
    std::mutex callbacksMutex_;
    std::map<WimHandle, std::vector<std::unique_ptr<WimMessageCallback>>> callbacks_;
};

}  // namespace

std::unique_ptr<ImagingLibrary> openImagingLibrary() { return std::make_unique<Win32Imaging>(); }

}  // namespace halvora::win32
