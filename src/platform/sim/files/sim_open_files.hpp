#pragma once
// The files held open on the simulated machine. On Windows a file that someone holds open
// without sharing writes and deletes cannot be replaced, written or deleted by anyone else: the
// call fails with 32 (ERROR_SHARING_VIOLATION). Everything that holds files open on the machine
// reads them and shares reading only: wimgapi holds a WIM from WIMCreateFile until its handles
// are closed, and the parts of a split set named with WIMSetReferenceFile with it; VirtDisk.dll
// holds a disc image from OpenVirtualDisk until CloseHandle, and while it is attached. So a held
// file can still be read, and its attributes changed (SetFileAttributesW asks for no access
// that sharing governs).
//
// Holds are counted: a file opened twice is free once both have closed. A file is known by where
// its host path leads (links followed, see hostLocation), compared without case as NTFS compares
// names, so every letter, spelling and link that reaches it finds it. Shared by every run on the
// machine; thread-safe.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace halvora::sim {

class OpenFiles {
    struct Table {
        std::mutex mutex;
        std::map<std::wstring, int> counts;  // key -> holds
    };

public:
    // One hold on one file: it is open until this is destroyed or moved over.
    class Hold {
    public:
        Hold() = default;
        ~Hold() { release(); }
        Hold(Hold&& other) noexcept : table_(std::move(other.table_)), key_(std::move(other.key_)) {}
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        friend class OpenFiles;
        Hold(std::shared_ptr<Table> table, std::wstring key) : table_(std::move(table)), key_(std::move(key)) {}
        void release();

        std::shared_ptr<Table> table_;  // kept by the hold, so that it may outlive the machine
        std::wstring key_;
    };

    // Opens the host file `host` (which exists) for as long as the hold lives.
    Hold open(const std::filesystem::path& host);
    // Whether anyone holds the file at `host` open.
    bool isOpen(const std::filesystem::path& host) const;
    // The same for a place already worked out with hostLocation.
    bool isOpenAt(const std::filesystem::path& location) const;

private:
    static std::wstring keyOf(const std::filesystem::path& location);

    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

}  // namespace halvora::sim
