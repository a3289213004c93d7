#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

std::wstring systemDirectoryPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        UINT n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(n);  // n is the size needed, including the NUL
    }
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

UniqueModule loadSystemLibrary(const wchar_t* file) {
    const std::wstring folder = systemDirectoryPath();
    if (folder.empty()) return UniqueModule{};
    const std::wstring path = folder + L"\\" + file;
    // With the full path the folder is fixed; the flag keeps the DLL's own dependencies in
    // System32 as well.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Systems without the extended search flags still load by full path.
        module = LoadLibraryExW(path.c_str(), nullptr, 0);
    }
    return UniqueModule{module};
}

}  // namespace halvora::win32
