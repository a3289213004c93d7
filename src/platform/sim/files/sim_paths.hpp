#pragma once
// Windows paths on the simulated machine. Every drive is a folder of the host; a path like
// "D:\Sources\install.wim" is found by looking each component up the way NTFS does, ignoring
// case, so the program sees the same file whatever case it spells the name in. The machine
// never reaches outside the folders it was given: a path that a host symbolic link leads out of
// its drive's folder reaches nothing.

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
// so a file can be created inside an existing folder. Nullopt when the path does not parse,
// names a drive the machine does not have, or leads out of its drive's folder (see
// hostLocation): on the machine such a path goes nowhere.
std::optional<std::filesystem::path> mapToHost(const DriveFolders& drives, const std::wstring& path);

// Where `host` leads: an absolute path with every symbolic link on the way followed, also one
// that points at something not there yet (a file written through it would be made where it
// points). Nullopt for links that lead round in a circle.
std::optional<std::filesystem::path> hostLocation(const std::filesystem::path& host);

// True when `location` is `folder` or lies inside it, both as hostLocation gives them.
bool isInside(const std::filesystem::path& location, const std::filesystem::path& folder);

}  // namespace halvora::sim
