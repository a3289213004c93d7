#include "platform/sim/imaging/sim_image_apply.hpp"

#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include <wimlib.h>

#include "platform/imaging.hpp"
#include "platform/sim/imaging/sim_apply_progress.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"
#include "platform/sim/real/sim_real_volume.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

// What wimgapi reports for a failure while writing files.
std::uint32_t extractionError(int wimlibCode) {
    switch (wimlibCode) {
        case WIMLIB_ERR_INVALID_RESOURCE_HASH:
        case WIMLIB_ERR_DECOMPRESSION:
        case WIMLIB_ERR_INVALID_METADATA_RESOURCE:
        case WIMLIB_ERR_UNEXPECTED_END_OF_FILE:
            return kErrorFileCorrupt;
        case WIMLIB_ERR_RESOURCE_NOT_FOUND:
            return kErrorFileNotFound;
        case WIMLIB_ERR_OPEN:
        case WIMLIB_ERR_MKDIR:
        case WIMLIB_ERR_LINK:
        case WIMLIB_ERR_MKNOD:
            return kErrorAccessDenied;
        case WIMLIB_ERR_READ:
            return kErrorReadFault;
        case WIMLIB_ERR_WRITE:
            return kErrorWriteFault;
        case WIMLIB_ERR_NOMEM:
            return kErrorNotEnoughMemory;
        case WIMLIB_ERR_ABORTED_BY_PROGRESS:
            return kErrorRequestAborted;
        default:
            return kErrorInvalidData;
    }
}

bool sendProgress(const ApplyNotify& notify, const ApplyProgressReport& report) {
    return notify(kWimMsgProgress, report.percent, static_cast<std::intptr_t>(report.millisecondsLeft)) !=
           kWimMsgAbortImage;
}

void sendError(const ApplyNotify& notify, const std::wstring& path, std::uint32_t error) {
    // The path stays alive for the call; the callback reads it as a NUL-terminated wide text.
    // The apply fails whatever the callback answers.
    notify(kWimMsgError, reinterpret_cast<std::uintptr_t>(path.c_str()), static_cast<std::intptr_t>(error));
}

struct ProgressContext {
    const ApplyNotify& notify;
    ApplyProgressTracker tracker;
    std::optional<std::uint64_t> totalBytes;  // set when only part of the image is written
    bool aborted = false;
};

wimlib_progress_status onProgress(wimlib_progress_msg message, wimlib_progress_info* info, void* context) {
    if (message != WIMLIB_PROGRESS_MSG_EXTRACT_STREAMS) return WIMLIB_PROGRESS_STATUS_CONTINUE;
    auto& progress = *static_cast<ProgressContext*>(context);
    // A whole image is measured as wimlib counts it (a hard-linked file's data once); part of
    // one against the whole image, so that it never looks finished.
    const std::uint64_t total = progress.totalBytes.value_or(info->extract.total_bytes);
    const auto report = progress.tracker.update(info->extract.completed_bytes, total);
    if (report && !sendProgress(progress.notify, *report)) {
        progress.aborted = true;
        return WIMLIB_PROGRESS_STATUS_ABORT;
    }
    return WIMLIB_PROGRESS_STATUS_CONTINUE;
}

// The progress function of a WIMStruct for as long as this lives.
class ProgressRegistration {
public:
    ProgressRegistration(WIMStruct* wim, ProgressContext& context) : wim_(wim) {
        wimlib_register_progress_function(wim_, onProgress, &context);
    }
    ~ProgressRegistration() { wimlib_register_progress_function(wim_, nullptr, nullptr); }
    ProgressRegistration(const ProgressRegistration&) = delete;
    ProgressRegistration& operator=(const ProgressRegistration&) = delete;

private:
    WIMStruct* wim_;
};

// Writes the first `count` entries of the plan: the whole image through wimlib's own apply, or
// a part of it file by file. wimlib extracts a folder with everything inside it, so the folders
// of a part are made here and only files are handed to wimlib. A wimlib error code.
int writeEntries(WIMStruct* wim, std::uint32_t index, const fs::path& hostRoot, const ApplyPlan& plan,
                 std::size_t count) {
    const int image = static_cast<int>(index);
    if (count == plan.entries.size()) return wimlib_extract_image(wim, image, hostRoot.c_str(), 0);
    std::vector<const char*> files;
    for (std::size_t i = 0; i < count; ++i) {
        const PlannedEntry& entry = plan.entries[i];
        if (entry.folder) {
            std::error_code ec;
            fs::create_directories(entry.host, ec);
            if (ec) return WIMLIB_ERR_MKDIR;
        } else {
            files.push_back(entry.wimPath.c_str());
        }
    }
    if (files.empty()) return 0;
    return wimlib_extract_paths(wim, image, hostRoot.c_str(), files.data(), files.size(), 0);
}

// The entry that made writing the first `count` entries fail: the shortest failing run of
// entries ends with it. Each try writes again what came before it, which the volume already
// holds, so the search takes no more room than the failed apply took.
std::size_t failingEntry(WIMStruct* wim, std::uint32_t index, const fs::path& hostRoot, const ApplyPlan& plan,
                         std::size_t count) {
    std::size_t good = 0, bad = count;  // writing `good` entries works, writing `bad` fails
    while (bad - good > 1) {
        const std::size_t middle = good + (bad - good) / 2;
        if (writeEntries(wim, index, hostRoot, plan, middle) == 0) {
            good = middle;
        } else {
            bad = middle;
        }
    }
    return bad - 1;
}

// The whole image straight onto a real NTFS volume through wimlib's NTFS mode, which writes
// security descriptors, reparse points, short names, named streams and attributes as Windows'
// own apply does. The volume is unmounted meanwhile. What would not fit is refused before
// anything is written: searching for the failing file by writing again, as a folder target
// does, would cost a real disk minutes.
std::uint32_t applyToNtfsVolume(WimFile& file, std::uint32_t index, const ApplyTarget& target,
                                const std::optional<Refusal>& refusal, const ApplyPlan& plan,
                                const ApplyNotify& notify) {
    if (refusal) {
        sendError(notify, plan.entries[refusal->entry].windowsPath, refusal->error);
        return refusal->error;
    }
    ProgressContext progress{notify, ApplyProgressTracker{}, std::nullopt};
    if (!sendProgress(notify, progress.tracker.start())) return kErrorRequestAborted;
    std::string why;
    auto offline = target.ntfsVolume->takeOffline(why);
    if (!offline) {
        sendError(notify, target.windowsRoot, kErrorAccessDenied);
        return kErrorAccessDenied;
    }
    int rc;
    {
        ProgressRegistration registration(file.wim(), progress);
        rc = wimlib_extract_image(file.wim(), static_cast<int>(index), target.ntfsVolume->device().c_str(),
                                  WIMLIB_EXTRACT_FLAG_NTFS);
    }
    offline.reset();  // mounted again before the program hears of the end
    if (progress.aborted || rc == WIMLIB_ERR_ABORTED_BY_PROGRESS) return kErrorRequestAborted;
    if (rc != 0) {
        const std::uint32_t error = extractionError(rc);
        if (rc != WIMLIB_ERR_NOMEM) sendError(notify, target.windowsRoot, error);
        return error;
    }
    if (!sendProgress(notify, progress.tracker.finish())) return kErrorRequestAborted;
    return 0;
}

}  // namespace

std::uint32_t applyWimImage(WimFile& file, std::uint32_t index, const ApplyTarget& target, const ApplyNotify& notify) {
    std::lock_guard lock(file.mutex());
    // The other parts of a split set go in first, so that the plan sees which data is missing.
    if (const std::uint32_t error = file.useReferences()) return error;
    ApplyPlan plan;
    if (const std::uint32_t error = planApply(file.wim(), index, target.windowsRoot, target.hostRoot, plan)) {
        return error;
    }
    const auto refusal = firstRefusal(plan, target.room);
    if (target.ntfsVolume) return applyToNtfsVolume(file, index, target, refusal, plan, notify);
    const std::size_t count = refusal ? refusal->entry : plan.entries.size();

    ProgressContext progress{notify, ApplyProgressTracker{}, std::nullopt};
    if (refusal) progress.totalBytes = plan.bytes;
    if (!sendProgress(notify, progress.tracker.start())) return kErrorRequestAborted;
    int rc;
    {
        ProgressRegistration registration(file.wim(), progress);
        rc = writeEntries(file.wim(), index, target.hostRoot, plan, count);
    }
    if (progress.aborted || rc == WIMLIB_ERR_ABORTED_BY_PROGRESS) return kErrorRequestAborted;
    if (rc != 0) {
        const std::uint32_t error = extractionError(rc);
        if (rc != WIMLIB_ERR_NOMEM && count > 0) {
            sendError(notify, plan.entries[failingEntry(file.wim(), index, target.hostRoot, plan, count)].windowsPath,
                      error);
        }
        return error;
    }
    if (refusal) {
        sendError(notify, plan.entries[refusal->entry].windowsPath, refusal->error);
        return refusal->error;
    }
    if (!sendProgress(notify, progress.tracker.finish())) return kErrorRequestAborted;
    return 0;
}

}  // namespace halvora::sim
