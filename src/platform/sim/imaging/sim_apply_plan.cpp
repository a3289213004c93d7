#include "platform/sim/imaging/sim_apply_plan.hpp"

#include <system_error>

#include <wimlib.h>

#include "base/utf.hpp"
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
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlannedEntry& entry = plan.entries[i];
        if (entry.dataMissing) return Refusal{i, kErrorFileNotFound};
        if (room.writeProtected) return Refusal{i, kErrorWriteProtect};
        if (room.readOnly && room.readOnly(entry.windowsPath)) return Refusal{i, kErrorWriteProtect};
        const std::uint64_t replaced = existingBytes(entry.host);
        const std::uint64_t added = entry.bytes > replaced ? entry.bytes - replaced : 0;
        if (added > free) return Refusal{i, kErrorDiskFull};
        free -= added;
    }
    return std::nullopt;
}

}  // namespace halvora::sim
