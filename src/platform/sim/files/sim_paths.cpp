#include "platform/sim/files/sim_paths.hpp"

#include <iterator>
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

std::optional<std::filesystem::path> hostLocation(const std::filesystem::path& host) {
    namespace fs = std::filesystem;
    // As many links as the host's own path lookup follows before it gives up (ELOOP).
    constexpr int kLinkLimit = 40;
    fs::path path = host;
    for (int links = 0; links <= kLinkLimit; ++links) {
        std::error_code ec;
        const fs::path location = fs::weakly_canonical(path, ec);
        if (ec) return std::nullopt;
        if (fs::exists(fs::status(location, ec))) return location;
        // weakly_canonical follows links only as far as something exists. The first component
        // that does not may still be a link to a place not there yet: follow it too.
        fs::path missing = location;
        while (missing.has_relative_path() && !fs::exists(fs::status(missing.parent_path(), ec))) {
            missing = missing.parent_path();
        }
        if (!fs::is_symlink(fs::symlink_status(missing, ec))) return location;
        const fs::path target = fs::read_symlink(missing, ec);
        if (ec) return std::nullopt;
        const fs::path rest = location.lexically_relative(missing);
        path = target.is_absolute() ? target : missing.parent_path() / target;
        if (!rest.empty() && rest != ".") path /= rest;
    }
    return std::nullopt;
}

bool isInside(const std::filesystem::path& location, const std::filesystem::path& folder) {
    auto inner = location.begin();
    for (auto outer = folder.begin(); outer != folder.end(); ++outer, ++inner) {
        // A trailing separator leaves an empty last component; it names the folder itself.
        if (outer->empty() && std::next(outer) == folder.end()) break;
        if (inner == location.end() || *inner != *outer) return false;
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
    // A host link that leads out of the drive's folder (into another drive's folder, or
    // anywhere else on this computer) leads where the machine has nothing.
    const auto location = hostLocation(host);
    const auto root = hostLocation(drive->second);
    if (!location || !root || !isInside(*location, *root)) return std::nullopt;
    return host;
}

}  // namespace halvora::sim
