#include "platform/sim/imaging/sim_apply_plan.hpp"

#include <map>
#include <system_error>

#include <wimlib.h>

#include "base/utf.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

struct Lister {
    const std::wstring& windowsRoot;
    const fs::path& hostRoot;
    ApplyPlan& plan;
};

int addEntry(const wimlib_dir_entry* dentry, void* context) {
    auto& lister = *static_cast<Lister*>(context);
    if (dentry->depth == 0) return 0;  // the root is the target itself
    PlannedEntry entry;
    entry.wimPath = dentry->full_path;
    const std::string relative = entry.wimPath.substr(1);
    std::wstring windowsRelative = fromUtf8(relative);
    for (auto& c : windowsRelative) c = c == L'/' ? L'\\' : c;
    entry.windowsPath = lister.windowsRoot + windowsRelative;
    entry.host = lister.hostRoot / relative;
    entry.folder = (dentry->attributes & WIMLIB_FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (dentry->attributes & WIMLIB_FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const auto& data = dentry->streams[0].resource;
    entry.dataMissing = data.is_missing != 0;
    // A link becomes a symbolic link on the host, which holds no data of its own.
    if (!entry.folder && !link) entry.bytes = data.uncompressed_size;
    lister.plan.bytes += entry.bytes;
    lister.plan.entries.push_back(std::move(entry));
    return 0;
}

// Where the entries of a plan lead on the host, worked out in the plan's order: a folder comes
// before what it holds, so each entry costs one look at its own name, unless that is a link.
class EntryLocations {
public:
    std::optional<fs::path> of(const PlannedEntry& entry) {
        const fs::path parent = entry.host.parent_path();
        auto known = folders_.find(parent);
        if (known == folders_.end()) known = folders_.emplace(parent, hostLocation(parent)).first;
        if (!known->second) return std::nullopt;
        std::optional<fs::path> location = *known->second / entry.host.filename();
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(*location, ec))) location = hostLocation(*location);
        if (entry.folder) folders_.emplace(entry.host, location);
        return location;
    }

private:
    std::map<fs::path, std::optional<fs::path>> folders_;  // host path -> where it leads
};

std::uint64_t existingBytes(const fs::path& host) {
    std::error_code ec;
    const auto status = fs::symlink_status(host, ec);
    if (ec || !fs::is_regular_file(status)) return 0;
    const auto size = fs::file_size(host, ec);
    return ec ? 0 : size;
}

}  // namespace

std::uint32_t planApply(WIMStruct* wim, std::uint32_t index, const std::wstring& windowsRoot, const fs::path& hostRoot,
                        ApplyPlan& plan) {
    plan = ApplyPlan{};
    Lister lister{windowsRoot, hostRoot, plan};
    const int rc = wimlib_iterate_dir_tree(wim, static_cast<int>(index), "", WIMLIB_ITERATE_DIR_TREE_FLAG_RECURSIVE,
                                           addEntry, &lister);
    if (rc == 0) return 0;
    // The image's metadata resource is damaged or cannot be read.
    return rc == WIMLIB_ERR_NOMEM ? kErrorNotEnoughMemory : kErrorFileCorrupt;
}

std::optional<Refusal> firstRefusal(const ApplyPlan& plan, const VolumeRoom& room) {
    std::uint64_t free = room.freeBytes;
    EntryLocations locations;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlannedEntry& entry = plan.entries[i];
        if (entry.dataMissing) return Refusal{i, kErrorFileNotFound};
        const auto location = locations.of(entry);
        if (!location || !isInside(*location, room.driveFolder)) return Refusal{i, kErrorPathNotFound};
        if (room.writeProtected) return Refusal{i, kErrorWriteProtect};
        if (room.readOnly && room.readOnly(entry.windowsPath)) return Refusal{i, kErrorWriteProtect};
        // Windows compares the names without case: an image's "Sources\Install.wim" is the
        // held "sources\install.wim", even where the host would make a second file beside it.
        if (!entry.folder && room.heldOpen && room.heldOpen(*location)) return Refusal{i, kErrorSharingViolation};
        const std::uint64_t replaced = existingBytes(entry.host);
        const std::uint64_t added = entry.bytes > replaced ? entry.bytes - replaced : 0;
        if (added > free) return Refusal{i, kErrorDiskFull};
        free -= added;
    }
    return std::nullopt;
}

}  // namespace halvora::sim
