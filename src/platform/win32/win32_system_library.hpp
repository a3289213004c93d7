#pragma once
// Loading system DLLs. The program runs elevated, so a DLL is only ever taken from the System32
// folder that Windows reports (GetSystemDirectoryW), by full path: never from the program's own
// folder, the current folder or a SYSTEMROOT variable that the launching process could set.

#include <string>

#include "platform/win32/win32_handles.hpp"

namespace halvora::win32 {

std::wstring systemDirectoryPath();  // GetSystemDirectoryW, without a trailing backslash

// LoadLibraryExW of System32\<file>; null (with GetLastError set) when it cannot be loaded.
UniqueModule loadSystemLibrary(const wchar_t* file);

// GetProcAddress cast to the function's type.
template <typename Function>
Function procAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace halvora::win32
