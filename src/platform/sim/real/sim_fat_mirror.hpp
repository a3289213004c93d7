#pragma once
// A FAT volume of a real disk made reachable as a host folder. This kernel has no vfat driver,
// so the volume's files are copied into a private folder with mtools when it is opened, and
// what changed in the folder is written back with mtools: new and changed files and folders,
// and what was removed. The sim writes back when a program that writes boot files ends, after a
// format, and when the run ends.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace halvora::sim {

class FatMirror {
public:
    // Copies the FAT file system on `device` (a partition's loop device) into `folder`, which
    // must exist and be empty. Nullptr with `error` when mtools cannot read it.
    static std::unique_ptr<FatMirror> open(const std::string& device, const std::filesystem::path& folder,
                                           std::string& error);

    // Writes back what changed since the copy or the last write-back. False with `error` naming
    // the first thing that could not be written; what was written stays written.
    bool writeBack(std::string& error);

    // The file system's free bytes less what the folder has grown by since then.
    std::uint64_t freeBytes() const;

    // A freshly formatted volume: the folder is emptied and the copy taken again.
    bool reopen(std::string& error);

private:
    struct Entry {
        bool folder = false;
        std::uint64_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        bool operator==(const Entry&) const = default;
    };
    using Snapshot = std::map<std::string, Entry>;  // path relative to the folder, '/' between names

    FatMirror(std::string device, std::filesystem::path folder)
        : device_(std::move(device)), folder_(std::move(folder)) {}
    bool copyOut(std::string& error);
    Snapshot snapshot() const;
    static std::uint64_t usage(const Snapshot& snapshot);

    std::string device_;
    std::filesystem::path folder_;
    Snapshot written_;  // what the volume holds, as last copied or written
    std::uint64_t freeAtCopy_ = 0;
    std::uint64_t usageAtCopy_ = 0;
};

}  // namespace halvora::sim
