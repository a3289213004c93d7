#pragma once
// One WIM file opened with wimlib, as wimgapi holds it behind a file handle: the open rules of
// WIMCreateFile (integrity check, solid resources), the Windows error codes for what went wrong,
// the stored XML and the WIM_INFO record. A WIMStruct is not thread-safe, so every use of it goes
// through the file's own lock: the methods here take it, and an apply holds it while it runs.
// The file, and the parts of a split set referenced for it, are held open (see
// sim_open_files.hpp) for as long as this lives: until its handle and every image handle loaded
// from it are closed.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/files/sim_open_files.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"

struct WIMStruct;

namespace halvora::sim {

class WimFile {
public:
    // Opens `host` with the WIMCreateFile flags, keeping `held` (the file's hold); null with
    // `error` set when it cannot be opened. `windowsPath` is kept for WIM_INFO.
    static std::shared_ptr<WimFile> open(const std::filesystem::path& host, const std::wstring& windowsPath,
                                         std::uint32_t flags, OpenFiles::Hold held, std::uint32_t& error);
    ~WimFile();
    WimFile(const WimFile&) = delete;
    WimFile& operator=(const WimFile&) = delete;

    std::uint32_t imageCount() const;
    // The XML as stored (UTF-16LE), with one byte-order mark in front; false with `error`.
    bool xml(std::u16string& text, std::uint32_t& error) const;
    // The 560-byte WIM_INFO in its published layout.
    void fillInfo(unsigned char* info) const;

    // Parts of a split set named by WIMSetReferenceFile, for the apply, each with its hold. A
    // new list (not `append`) lets the parts of the old one go.
    void addReference(const std::filesystem::path& part, OpenFiles::Hold held, bool append);
    // Hands the parts named so far, and not yet handed over, to wimlib, so that an apply finds
    // the data they hold. 0 or the Windows error of a part that cannot be opened.
    std::uint32_t useReferences();

    // For operations that run wimlib on the file themselves: hold mutex() while using wim().
    // The lock is recursive so that a message callback that reads the file during an apply on
    // the same thread does not wait for itself.
    std::recursive_mutex& mutex() const { return mutex_; }
    WIMStruct* wim() const { return wim_; }

private:
    WimFile(WIMStruct* wim, std::wstring windowsPath, std::uint32_t flags, OpenFiles::Hold held)
        : wim_(wim), windowsPath_(std::move(windowsPath)), flags_(flags), held_(std::move(held)) {}

    WIMStruct* wim_;
    std::wstring windowsPath_;
    std::uint32_t flags_;
    OpenFiles::Hold held_;
    std::vector<std::filesystem::path> references_;
    std::vector<OpenFiles::Hold> referencesHeld_;  // the parts of the current list
    std::size_t referencesInUse_ = 0;              // the first this many of references_ are known to wimlib
    mutable std::recursive_mutex mutex_;
};

// The IMAGE element of image `index` (1-based) from a whole XML document, with the document's
// byte-order mark in front; empty when the document has no such image.
std::u16string imageElement(const std::u16string& document, std::uint32_t index);

}  // namespace halvora::sim
