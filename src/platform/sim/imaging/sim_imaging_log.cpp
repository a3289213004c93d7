#include "platform/sim/imaging/sim_imaging_log.hpp"

#include <fstream>
#include <system_error>

#include "base/utf.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

std::uint32_t ImagingLogFiles::add(const std::wstring& path) {
    const auto parsed = parseWindowsPath(machine_->fullPath(path));
    if (!parsed || parsed->components.empty()) return kErrorInvalidName;
    const auto host = machine_->hostPath(path);
    if (!host) return kErrorPathNotFound;  // a drive the machine does not have
    std::error_code ec;
    if (!fs::is_directory(host->parent_path(), ec)) return kErrorPathNotFound;
    if (fs::is_directory(*host, ec) || machine_->isReadOnly(path)) return kErrorAccessDenied;
    if (fs::exists(*host, ec) && machine_->openFiles().isOpen(*host)) return kErrorSharingViolation;
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    if (!out) return kErrorAccessDenied;
    std::lock_guard lock(mutex_);
    files_[foldCase(path)] = *host;
    return 0;
}

bool ImagingLogFiles::remove(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    return files_.erase(foldCase(path)) != 0;
}

void ImagingLogFiles::write(const std::wstring& line) {
    const std::string bytes = toUtf8(line) + "\r\n";
    std::lock_guard lock(mutex_);
    for (const auto& [name, host] : files_) {
        std::ofstream out(host, std::ios::binary | std::ios::app);
        out << bytes;
    }
}

}  // namespace halvora::sim
