#include "platform/sim/programs/sim_bcdboot_files.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim::boot_files {

bool isFolder(const SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    std::error_code ec;
    return host && std::filesystem::is_directory(*host, ec);
}

std::optional<std::string> readFile(const SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(*host, ec)) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

std::uint32_t ensureFolder(SimMachine& machine, const std::wstring& root, const std::vector<std::wstring>& names) {
    std::wstring path = root;
    for (const auto& name : names) {
        path += (path.back() == L'\\' ? L"" : L"\\") + name;
        if (isFolder(machine, path)) continue;
        if (const std::uint32_t error = files::createFolder(machine, path)) return error;
    }
    return 0;
}

std::uint32_t placeFile(SimMachine& machine, const std::wstring& target, const std::string& bytes) {
    return files::write(machine, target, bytes, files::HiddenFile::Replace);
}

std::uint32_t copyFolder(SimMachine& machine, const std::wstring& from, const std::wstring& to,
                         const std::vector<std::wstring>& skipped) {
    const auto entries = files::list(machine, from);
    if (!entries) return files::kPathNotFound;
    for (const auto& entry : *entries) {
        if (entry.attributes & files::kAttributeReparsePoint) continue;
        if (std::any_of(skipped.begin(), skipped.end(),
                        [&](const auto& name) { return equalsNoCase(name, entry.name); })) {
            continue;
        }
        const std::wstring source = from + L"\\" + entry.name;
        const std::wstring target = to + L"\\" + entry.name;
        std::uint32_t error = 0;
        if (entry.attributes & kFileAttributeDirectory) {
            error = ensureFolder(machine, to, {entry.name});
            if (!error) error = copyFolder(machine, source, target);
        } else if (const auto bytes = readFile(machine, source)) {
            error = placeFile(machine, target, *bytes);
        } else {
            error = files::kFileNotFound;  // gone since the listing
        }
        if (error) return error;
    }
    return 0;
}

}  // namespace halvora::sim::boot_files
