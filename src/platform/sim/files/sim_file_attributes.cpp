#include "platform/sim/files/sim_file_attributes.hpp"

#include <system_error>

#include "platform/system.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kFileMarks = kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;
constexpr std::uint32_t kFolderMarks = kFileMarks | kFileAttributeReadOnly;

}  // namespace

std::string SimFileAttributes::keyOf(const std::filesystem::path& host) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(host, ec);
    return (ec ? host.lexically_normal() : canonical).string();
}

std::uint32_t SimFileAttributes::of(const std::filesystem::path& host) const {
    std::error_code ec;
    const auto status = std::filesystem::status(host, ec);
    if (ec || !std::filesystem::exists(status)) return kInvalidFileAttributes;
    const bool folder = std::filesystem::is_directory(status);
    std::optional<std::uint32_t> marks;
    {
        std::lock_guard lock(mutex_);
        const auto it = marks_.find(keyOf(host));
        if (it != marks_.end()) marks = it->second;
    }
    return attributesOf(folder, folder || hostWritable(host), marks);
}

std::uint32_t SimFileAttributes::attributesOf(bool folder, bool writable, std::optional<std::uint32_t> marks) {
    if (folder) return kFileAttributeDirectory | marks.value_or(0);
    std::uint32_t attributes = marks.value_or(kFileAttributeArchive);
    if (!writable) attributes |= kFileAttributeReadOnly;
    // A file with no attribute at all reports "normal", never 0.
    return attributes == 0 ? kFileAttributeNormal : attributes;
}

std::vector<std::optional<std::uint32_t>> SimFileAttributes::marksOfEntries(
    const std::filesystem::path& folder, const std::vector<ListedName>& names) const {
    const std::filesystem::path folderKey = keyOf(folder);
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const auto& entry : names) {
        keys.push_back(entry.viaLink ? keyOf(folder / entry.name) : (folderKey / entry.name).string());
    }
    std::vector<std::optional<std::uint32_t>> marks(names.size());
    std::lock_guard lock(mutex_);
    if (marks_.empty()) return marks;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto it = marks_.find(keys[i]);
        if (it != marks_.end()) marks[i] = it->second;
    }
    return marks;
}

void SimFileAttributes::set(const std::filesystem::path& host, std::uint32_t attributes) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(host, ec);
    if (!folder) setHostWritable(host, (attributes & kFileAttributeReadOnly) == 0);
    std::lock_guard lock(mutex_);
    marks_[keyOf(host)] = attributes & (folder ? kFolderMarks : kFileMarks);
}

void SimFileAttributes::forget(const std::filesystem::path& host) {
    std::lock_guard lock(mutex_);
    marks_.erase(keyOf(host));
}

void SimFileAttributes::forgetUnder(const std::filesystem::path& folder) {
    const std::string root = keyOf(folder);
    std::lock_guard lock(mutex_);
    for (auto it = marks_.lower_bound(root); it != marks_.end() && it->first.compare(0, root.size(), root) == 0;) {
        const bool inside = it->first.size() == root.size() || it->first[root.size()] == '/';
        it = inside ? marks_.erase(it) : std::next(it);
    }
}

bool hostWritable(const std::filesystem::path& host) {
    std::error_code ec;
    const auto perms = std::filesystem::status(host, ec).permissions();
    return !ec && (perms & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
}

void setHostWritable(const std::filesystem::path& host, bool writable) {
    using std::filesystem::perms;
    std::error_code ec;
    if (writable) {
        std::filesystem::permissions(host, perms::owner_write, std::filesystem::perm_options::add, ec);
    } else {
        std::filesystem::permissions(host, perms::owner_write | perms::group_write | perms::others_write,
                                     std::filesystem::perm_options::remove, ec);
    }
}

}  // namespace halvora::sim
