#pragma once
// Windows paths on the simulated machine. Every drive is a folder of the host; a path like
// "D:\Sources\install.wim" is found by looking each component up the way NTFS does, ignoring
// case, so the program sees the same file whatever case it spells the name in.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halvora::sim {

// A fully qualified drive path, split: drive letter (upper case) and its components.
struct WindowsPath {
    wchar_t drive = 0;
    std::vector<std::wstring> components;
};

// Accepts "X:", "X:\" and "X:\a\b" (either slash, any case of the letter). "." components
// vanish and repeated separators collapse, as Windows normalises them. Relative paths,
// drive-relative paths ("X:a"), UNC and device paths, ".." and names with characters NTFS
// refuses give nullopt.
std::optional<WindowsPath> parseWindowsPath(const std::wstring& path);

// The path a relative one stands for, as GetFullPathNameW makes it with the process's current
// folder `current` ("C:\\Halvora"): "a\\b" lies in it, "\\a" on its drive, and "X:a" and "X:" alone
// in the root of X: (a process keeps no current folder on other drives unless it went there) or
// in `current` when that is on X:. Fully qualified, UNC and device paths, and the empty text,
// stay as given.
std::wstring fullWindowsPath(const std::wstring& path, const std::wstring& current);

// True when `path` is `root` or lies inside it (case-insensitive, component by component).
bool isUnder(const WindowsPath& path, const WindowsPath& root);

using DriveFolders = std::map<wchar_t, std::filesystem::path>;  // upper-case letter -> folder

// The host path of `path`. Components that exist on the host are matched exactly first, then
// ignoring case; from the first component that does not exist on, the rest is taken as spelt,
// so a file can be created inside an existing folder. Nullopt when the path does not parse
// or names a drive the machine does not have.
std::optional<std::filesystem::path> mapToHost(const DriveFolders& drives, const std::wstring& path);

}  // namespace halvora::sim
