#pragma once
// Owners for the handles the backend holds. Each kind of handle has its own way of being freed;
// a handle is freed exactly once, when its owner dies or is given another handle.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <utility>

namespace halvora::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::valid(handle_); }
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (Traits::valid(old) && old != handle) Traits::close(old);
    }

private:
    Handle handle_ = Traits::invalid();
};

template <typename Handle, auto Close>
struct NullIsInvalid {
    static Handle invalid() { return nullptr; }
    static bool valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { Close(h); }
};

struct FindHandleTraits {  // FindFirstFileExW returns INVALID_HANDLE_VALUE on failure
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};

struct KernelHandleTraits {  // CreateFileW returns INVALID_HANDLE_VALUE, most others null
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};

inline void freeModule(HMODULE m) { FreeLibrary(m); }
inline void deleteFont(HFONT f) { DeleteObject(f); }
inline void deleteBrush(HBRUSH b) { DeleteObject(b); }
inline void destroyIcon(HICON i) { DestroyIcon(i); }
inline void destroyImageList(HIMAGELIST l) { ImageList_Destroy(l); }
inline void destroyMenu(HMENU m) { DestroyMenu(m); }
inline void destroyWindow(HWND w) { DestroyWindow(w); }
inline void freeArgv(LPWSTR* a) { LocalFree(a); }

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueModule = UniqueHandle<HMODULE, NullIsInvalid<HMODULE, freeModule>>;
using UniqueFont = UniqueHandle<HFONT, NullIsInvalid<HFONT, deleteFont>>;
using UniqueBrush = UniqueHandle<HBRUSH, NullIsInvalid<HBRUSH, deleteBrush>>;
using UniqueIcon = UniqueHandle<HICON, NullIsInvalid<HICON, destroyIcon>>;
using UniqueImageList = UniqueHandle<HIMAGELIST, NullIsInvalid<HIMAGELIST, destroyImageList>>;
using UniqueMenu = UniqueHandle<HMENU, NullIsInvalid<HMENU, destroyMenu>>;
using UniqueWindow = UniqueHandle<HWND, NullIsInvalid<HWND, destroyWindow>>;
using UniqueArgv = UniqueHandle<LPWSTR*, NullIsInvalid<LPWSTR*, freeArgv>>;

// A device context borrowed with GetDC and given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a device context for the lifetime of this object.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer that is released once.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    Interface* p_ = nullptr;
};

}  // namespace halvora::win32
