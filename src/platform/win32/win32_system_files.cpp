// Attributes, folders, copies and listings: each call is the Windows call of the same name.

#include "platform/win32/win32_system.hpp"

#include <windows.h>

#include "platform/win32/win32_handles.hpp"

namespace halvora::win32 {

std::uint32_t Win32System::fileAttributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool Win32System::setFileAttributes(const std::wstring& path, std::uint32_t attributes) {
    return SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

bool Win32System::createFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != FALSE; }

bool Win32System::copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    return CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

std::optional<std::vector<FolderEntry>> Win32System::listFolder(const std::wstring& folder) {
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern.push_back(L'\\');
    pattern.push_back(L'*');
    WIN32_FIND_DATAW data{};
    UniqueFind find{FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0)};
    std::vector<FolderEntry> entries;
    if (!find) {
        // An empty drive root has not even "." and "..": nothing matched, yet the folder is there.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        return std::nullopt;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entries.push_back(FolderEntry{name, data.dwFileAttributes, size});
    } while (FindNextFileW(find.get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
}

}  // namespace halvora::win32
