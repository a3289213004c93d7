#include "platform/sim/disks/sim_attached_discs.hpp"

#include <cstdlib>
#include <system_error>

#include "platform/sim/disks/sim_iso_unpack.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"

namespace halvora::sim {

namespace {

namespace fs = std::filesystem;

}  // namespace

SimAttachedDiscs::SimAttachedDiscs(SimDevices& devices, SimFileAttributes& attributes, OpenFiles& openFiles)
    : devices_(devices), attributes_(attributes), openFiles_(openFiles) {}

SimAttachedDiscs::~SimAttachedDiscs() {
    if (root_.empty()) return;
    std::error_code ec;
    fs::remove_all(root_, ec);
}

// One image reached by two paths (another letter, another spelling) is one attachment.
std::string SimAttachedDiscs::keyOf(const fs::path& image) {
    std::error_code ec;
    const auto canonical = fs::weakly_canonical(image, ec);
    return (ec ? image.lexically_normal() : canonical).string();
}

fs::path SimAttachedDiscs::makeFolder(std::uint32_t& error) {
    std::error_code ec;
    if (root_.empty()) {
        std::string pattern = (fs::temp_directory_path(ec) / "halvora-discs-XXXXXX").string();
        if (ec || mkdtemp(pattern.data()) == nullptr) {
            error = kErrorWriteFault;
            return {};
        }
        root_ = pattern;
    }
    const fs::path folder = root_ / ("disc" + std::to_string(++folders_));
    if (!fs::create_directory(folder, ec)) {
        error = kErrorWriteFault;
        return {};
    }
    return folder;
}

std::optional<std::uint32_t> SimAttachedDiscs::deviceNumber(const fs::path& image) const {
    std::lock_guard lock(mutex_);
    const auto it = attached_.find(keyOf(image));
    if (it == attached_.end()) return std::nullopt;
    return it->second.number;
}

std::uint32_t SimAttachedDiscs::attach(const fs::path& image, bool withLetter) {
    std::lock_guard lock(mutex_);
    const std::string key = keyOf(image);
    if (attached_.count(key)) return kErrorSharingViolation;
    std::uint32_t error = 0;
    const fs::path folder = makeFolder(error);
    if (error) return error;
    UnpackedDisc disc;
    error = unpackDisc(image, folder, disc);
    if (error) {
        std::error_code ec;
        fs::remove_all(folder, ec);
        return error;
    }
    DeviceInfo info;
    info.folder = folder;
    info.label = disc.label;
    info.fileSystem = L"CDFS";
    info.virtualDisc = true;
    wchar_t letter = 0;
    attached_[key] = Attachment{devices_.addCdRom(info, withLetter, letter), folder, openFiles_.open(image)};
    return 0;
}

std::uint32_t SimAttachedDiscs::detach(const fs::path& image) {
    std::lock_guard lock(mutex_);
    const auto it = attached_.find(keyOf(image));
    if (it == attached_.end()) return kErrorDevNotExist;
    devices_.removeDevice(L"\\Device\\CdRom" + std::to_wstring(it->second.number));
    attributes_.forgetUnder(it->second.folder);
    std::error_code ec;
    fs::remove_all(it->second.folder, ec);
    attached_.erase(it);
    return 0;
}

}  // namespace halvora::sim
