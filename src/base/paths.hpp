#pragma once
// Pieces of Windows paths, taken apart as text.

#include <string>

namespace halvora {

// Up to and including the last "\" or "/"; empty when there is none.
inline std::wstring folderPart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// After the last "\" or "/".
inline std::wstring fileNamePart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

inline std::wstring withTrailingBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

// The root folder of a drive ("E:" gives "E:\\"). A bare "E:" is not the root: Windows reads it
// as the current folder of drive E:, which is wherever the process last went on E:.
inline std::wstring volumeRoot(const std::wstring& drive) { return withTrailingBackslash(drive); }

}  // namespace halvora
