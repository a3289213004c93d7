#include "platform/sim/disks/sim_iso_unpack.hpp"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <memory>
#include <optional>
#include <system_error>

#include "base/utf.hpp"
#include "platform/sim/files/sim_file_attributes.hpp"
#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

namespace fs = std::filesystem;

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using UniqueArchive = std::unique_ptr<archive, ArchiveCloser>;

// The entry's path below `folder`; nullopt for a path that would leave it (an absolute path,
// "..") or names nothing (the root itself).
std::optional<fs::path> placeOf(const fs::path& folder, const char* name) {
    if (name == nullptr) return std::nullopt;
    fs::path relative;
    for (const auto& part : fs::path(name).relative_path()) {
        if (part == "..") return std::nullopt;
        if (part.empty() || part == ".") continue;
        relative /= part;
    }
    if (relative.empty()) return std::nullopt;
    return folder / relative;
}

// The volume identifier of the primary volume descriptor (sector 16: type 1, "CD001").
std::wstring volumeLabel(const fs::path& image) {
    constexpr std::streamoff kDescriptor = 16 * 2048;
    char sector[72] = {};
    std::ifstream in(image, std::ios::binary);
    if (!in.seekg(kDescriptor) || !in.read(sector, sizeof sector)) return L"";
    if (sector[0] != 1 || std::string(sector + 1, 5) != "CD001") return L"";
    std::string label(sector + 40, 32);
    while (!label.empty() && (label.back() == ' ' || label.back() == '\0')) label.pop_back();
    return fromUtf8(label);
}

std::uint32_t writeData(archive* a, const fs::path& place) {
    std::ofstream out(place, std::ios::binary | std::ios::trunc);
    if (!out) return kErrorWriteFault;
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int result = archive_read_data_block(a, &block, &size, &offset);
        if (result == ARCHIVE_EOF) break;
        if (result != ARCHIVE_OK) return kErrorInvalidData;
        // Blocks come in order; a gap (a sparse run) is zeros.
        if (static_cast<la_int64_t>(out.tellp()) < offset) out.seekp(offset);
        if (!out.write(static_cast<const char*>(block), static_cast<std::streamsize>(size))) return kErrorWriteFault;
    }
    return out.flush() ? 0 : kErrorWriteFault;
}

}  // namespace

std::uint32_t unpackDisc(const fs::path& image, const fs::path& folder, UnpackedDisc& disc) {
    UniqueArchive a(archive_read_new());
    if (!a || archive_read_support_format_iso9660(a.get()) != ARCHIVE_OK ||
        archive_read_set_options(a.get(), "iso9660:!rockridge") != ARCHIVE_OK ||
        archive_read_open_filename(a.get(), image.c_str(), 64 * 1024) != ARCHIVE_OK) {
        return kErrorInvalidData;
    }
    std::error_code ec;
    archive_entry* entry = nullptr;
    for (;;) {
        const int result = archive_read_next_header(a.get(), &entry);
        if (result == ARCHIVE_EOF) break;
        if (result != ARCHIVE_OK && result != ARCHIVE_WARN) return kErrorInvalidData;
        const auto place = placeOf(folder, archive_entry_pathname(entry));
        if (!place) continue;
        fs::create_directories(place->parent_path(), ec);
        if (ec) return kErrorWriteFault;
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            fs::create_directories(*place, ec);
            if (ec) return kErrorWriteFault;
            continue;
        }
        // Files that share their data on the disc are two files to Windows.
        if (const char* link = archive_entry_hardlink(entry)) {
            const auto source = placeOf(folder, link);
            if (!source || !fs::copy_file(*source, *place, fs::copy_options::overwrite_existing, ec)) {
                return kErrorWriteFault;
            }
        } else if (archive_entry_filetype(entry) == AE_IFREG) {
            if (const std::uint32_t error = writeData(a.get(), *place)) return error;
        } else {
            continue;  // nothing else is on a disc that Windows reads
        }
        setHostWritable(*place, false);
    }
    disc.label = volumeLabel(image);
    return 0;
}

}  // namespace halvora::sim
