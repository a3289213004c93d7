#include "platform/sim/files/sim_paths.hpp"

#include <system_error>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Characters that NTFS does not allow in a name (a colon would name an alternate stream).
bool validComponent(const std::wstring& name) {
    for (wchar_t c : name) {
        if (c < 0x20) return false;
        if (std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) return false;
    }
    return true;
}

// The entry of `folder` whose name equals `name`: exact first, then ignoring case.
std::optional<std::filesystem::path> findEntry(const std::filesystem::path& folder, const std::wstring& name) {
    std::error_code ec;
    const std::filesystem::path exact = folder / toUtf8(name);
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, ec))) return exact;
    if (!std::filesystem::is_directory(folder, ec)) return std::nullopt;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    for (const auto& entry : it) {
        if (equalsNoCase(fromUtf8(entry.path().filename().string()), name)) return entry.path();
    }
    return std::nullopt;
}

}  // namespace

std::optional<WindowsPath> parseWindowsPath(const std::wstring& path) {
    if (path.size() < 2 || !isDriveLetter(path[0]) || path[1] != L':') return std::nullopt;
    if (path.size() > 2 && !isSeparator(path[2])) return std::nullopt;  // "X:a" is drive-relative
    WindowsPath out;
    out.drive = foldCase(path[0]);
    std::wstring current;
    auto flush = [&]() -> bool {
        if (current.empty() || current == L".") {
            current.clear();
            return true;
        }
        if (current == L".." || !validComponent(current)) return false;
        out.components.push_back(current);
        current.clear();
        return true;
    };
    for (std::size_t i = 2; i < path.size(); ++i) {
        if (isSeparator(path[i])) {
            if (!flush()) return std::nullopt;
        } else {
            current.push_back(path[i]);
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

std::wstring fullWindowsPath(const std::wstring& path, const std::wstring& current) {
    if (path.empty() || current.size() < 2) return path;
    const bool drivePrefix = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == L':';
    if (drivePrefix) {
        if (path.size() > 2 && isSeparator(path[2])) return path;
        const bool currentDrive = foldCase(path[0]) == foldCase(current[0]);
        // "X:" alone is a folder too: the current one when it lies on X:, else X:'s root.
        if (path.size() == 2) return currentDrive ? current : path;
        return (currentDrive ? current : path.substr(0, 2)) + L"\\" + path.substr(2);
    }
    if (isSeparator(path[0])) {
        if (path.size() >= 2 && isSeparator(path[1])) return path;  // UNC or a device
        return current.substr(0, 2) + path;
    }
    return current + L"\\" + path;
}

bool isUnder(const WindowsPath& path, const WindowsPath& root) {
    if (path.drive != root.drive || path.components.size() < root.components.size()) return false;
    for (std::size_t i = 0; i < root.components.size(); ++i) {
        if (!equalsNoCase(path.components[i], root.components[i])) return false;
    }
    return true;
}

std::optional<std::filesystem::path> mapToHost(const DriveFolders& drives, const std::wstring& path) {
    const auto parsed = parseWindowsPath(path);
    if (!parsed) return std::nullopt;
    const auto drive = drives.find(parsed->drive);
    if (drive == drives.end()) return std::nullopt;
    std::filesystem::path host = drive->second;
    bool existing = true;
    for (const auto& component : parsed->components) {
        if (existing) {
            if (auto found = findEntry(host, component)) {
                host = *found;
                continue;
            }
            existing = false;
        }
        host /= toUtf8(component);
    }
    return host;
}

}  // namespace halvora::sim
