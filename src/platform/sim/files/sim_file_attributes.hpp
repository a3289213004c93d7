#pragma once
// File attributes on the simulated machine. The host has no hidden, system or archive bits, so
// the machine keeps them itself, keyed by the file's host path: every drive letter that reaches
// the file sees the same attributes. Read-only is the host's write permission instead, so that
// the file really is read-only to everything that writes it. Thread-safe.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace halvora::sim {

class SimFileAttributes {
public:
    // GetFileAttributesW of a host file or folder; kInvalidFileAttributes when it does not exist.
    // A file nobody set attributes on has the archive bit, as a newly written file on NTFS.
    std::uint32_t of(const std::filesystem::path& host) const;
    // The marks of the entries of one listed folder, looked up under one lock and with the
    // folder's real path worked out once. An entry that is a link (`viaLink`) has its marks
    // under the path it leads to. Nullopt: no marks were ever set on it.
    struct ListedName {
        std::string name;
        bool viaLink = false;
    };
    std::vector<std::optional<std::uint32_t>> marksOfEntries(const std::filesystem::path& folder,
                                                             const std::vector<ListedName>& names) const;
    // What GetFileAttributesW reports for an entry with these marks.
    static std::uint32_t attributesOf(bool folder, bool writable, std::optional<std::uint32_t> marks);
    // SetFileAttributesW on an existing host file or folder. Folders keep read-only as a mark
    // only: Windows does not stop writes into a read-only folder either.
    void set(const std::filesystem::path& host, std::uint32_t attributes);
    // The file at `host` is new (created, or replaced by a copy): it starts with no marks.
    void forget(const std::filesystem::path& host);
    // Everything at or below `folder` is gone (a format).
    void forgetUnder(const std::filesystem::path& folder);

private:
    static std::string keyOf(const std::filesystem::path& host);

    mutable std::mutex mutex_;
    std::map<std::string, std::uint32_t> marks_;  // key -> hidden, system, archive (read-only on folders)
};

// The host's write permission, which plays a file's read-only attribute.
bool hostWritable(const std::filesystem::path& host);
void setHostWritable(const std::filesystem::path& host, bool writable);

}  // namespace halvora::sim
