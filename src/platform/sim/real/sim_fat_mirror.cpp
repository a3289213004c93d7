#include "platform/sim/real/sim_fat_mirror.hpp"

#include <algorithm>
#include <vector>

#include "platform/sim/real/sim_host_command.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

// mtools checks a FAT's geometry against the BIOS's idea of a floppy unless told not to.
const std::vector<std::string> kMtoolsEnvironment{"MTOOLS_SKIP_CHECK=1"};

HostRun mtools(std::vector<std::string> argv) { return runHostProgram(argv, kMtoolsEnvironment); }

std::string mtoolsFailure(const std::string& what, const HostRun& run) {
    std::string output = run.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return what + (output.empty() ? "" : ": " + output);
}

// "mdir" ends with "      104 857 088 bytes free": the digits before "bytes free".
std::uint64_t freeBytesOf(const std::string& listing) {
    const auto at = listing.rfind("bytes free");
    if (at == std::string::npos) return 0;
    const auto lineStart = listing.rfind('\n', at);
    std::uint64_t value = 0;
    for (std::size_t i = lineStart == std::string::npos ? 0 : lineStart + 1; i < at; ++i) {
        if (listing[i] >= '0' && listing[i] <= '9') value = value * 10 + static_cast<std::uint64_t>(listing[i] - '0');
    }
    return value;
}

}  // namespace

std::unique_ptr<FatMirror> FatMirror::open(const std::string& device, const fs::path& folder, std::string& error) {
    std::unique_ptr<FatMirror> mirror(new FatMirror(device, folder));
    if (!mirror->copyOut(error)) return nullptr;
    return mirror;
}

bool FatMirror::copyOut(std::string& error) {
    const HostRun listing = mtools({"mdir", "-a", "-i", device_, "::/"});
    if (listing.exitCode != 0) {
        error = mtoolsFailure("mtools cannot read the FAT volume on " + device_, listing);
        return false;
    }
    freeAtCopy_ = freeBytesOf(listing.output);
    // "::/*" is expanded by mtools itself, hidden and system files included. An empty
    // volume has nothing to match, which is no failure.
    const bool empty = listing.output.find("No files") != std::string::npos;
    if (!empty) {
        const HostRun copy = mtools({"mcopy", "-s", "-p", "-m", "-n", "-i", device_, "::/*", folder_.string() + "/"});
        if (copy.exitCode != 0) {
            error = mtoolsFailure("mtools cannot copy the files of " + device_, copy);
            return false;
        }
    }
    written_ = snapshot();
    usageAtCopy_ = usage(written_);
    return true;
}

FatMirror::Snapshot FatMirror::snapshot() const {
    Snapshot out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const auto status = it->symlink_status(ec);
        if (ec) continue;
        Entry entry;
        entry.folder = fs::is_directory(status);
        if (!entry.folder && !fs::is_regular_file(status)) continue;
        if (!entry.folder) entry.size = it->file_size(ec);
        entry.modified = it->last_write_time(ec).time_since_epoch().count();
        out[fs::relative(it->path(), folder_, ec).generic_string()] = entry;
    }
    return out;
}

std::uint64_t FatMirror::usage(const Snapshot& snapshot) {
    std::uint64_t bytes = 0;
    for (const auto& [path, entry] : snapshot) bytes += entry.size;
    return bytes;
}

bool FatMirror::writeBack(std::string& error) {
    const Snapshot now = snapshot();
    // Removed first, the deepest first, so that a folder is empty when it goes and a file
    // replaced by a folder of the same name (or the other way) makes room.
    for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
        const auto& [path, entry] = *it;
        const auto current = now.find(path);
        if (current != now.end() && current->second.folder == entry.folder) continue;
        const HostRun run = mtools({entry.folder ? "mrd" : "mdel", "-i", device_, "::/" + path});
        if (run.exitCode != 0) {
            error = mtoolsFailure("cannot remove " + path + " from " + device_, run);
            return false;
        }
    }
    // Then what is new or changed, parents before their contents (the map's order).
    for (const auto& [path, entry] : now) {
        const auto before = written_.find(path);
        const bool known = before != written_.end() && before->second.folder == entry.folder;
        if (known && (entry.folder || before->second == entry)) continue;
        const HostRun run = entry.folder
                                ? mtools({"mmd", "-i", device_, "::/" + path})
                                : mtools({"mcopy", "-o", "-m", "-i", device_, (folder_ / path).string(), "::/" + path});
        if (run.exitCode != 0) {
            error = mtoolsFailure("cannot write " + path + " to " + device_, run);
            return false;
        }
    }
    written_ = now;
    return true;
}

std::uint64_t FatMirror::freeBytes() const {
    const std::uint64_t used = usage(snapshot());
    if (used <= usageAtCopy_) return freeAtCopy_ + (usageAtCopy_ - used);
    const std::uint64_t grown = used - usageAtCopy_;
    return grown >= freeAtCopy_ ? 0 : freeAtCopy_ - grown;
}

bool FatMirror::reopen(std::string& error) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) fs::remove_all(entry.path(), ec);
    written_.clear();
    return copyOut(error);
}

}  // namespace halvora::sim
