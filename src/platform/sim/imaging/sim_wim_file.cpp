#include "platform/sim/imaging/sim_wim_file.hpp"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <system_error>

#include <wimlib.h>

#include "base/little_endian.hpp"
#include "platform/imaging.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kHeaderBytes = 208;
// The WIM version wimlib writes when the file holds solid resources (as an ESD does).
constexpr std::uint32_t kSolidWimVersion = 0xE00;
constexpr char16_t kByteOrderMark = 0xFEFF;

void initialiseWimlib() {
    static std::once_flag once;
    std::call_once(once, [] { wimlib_global_init(0); });
}

// What Windows answers for a file the program cannot use, before wimlib looks inside.
std::uint32_t checkFile(const fs::path& host) {
    std::error_code ec;
    const auto status = fs::status(host, ec);
    if (fs::is_directory(status)) return kErrorAccessDenied;  // CreateFileW on a folder
    if (!fs::exists(status)) {
        return fs::is_directory(host.parent_path(), ec) ? kErrorFileNotFound : kErrorPathNotFound;
    }
    std::ifstream probe(host, std::ios::binary);
    if (!probe) return kErrorAccessDenied;
    // An empty or cut-off file has no header to read; wimgapi calls that invalid data.
    if (fs::file_size(host, ec) < kHeaderBytes || ec) return kErrorInvalidData;
    return 0;
}

std::uint32_t windowsError(int wimlibCode) {
    switch (wimlibCode) {
        case WIMLIB_ERR_INTEGRITY:
        case WIMLIB_ERR_INVALID_INTEGRITY_TABLE:
            return kErrorFileCorrupt;
        case WIMLIB_ERR_OPEN:
            return kErrorAccessDenied;
        case WIMLIB_ERR_NOMEM:
            return kErrorNotEnoughMemory;
        default:
            // Bad magic, unknown version, a header, table or XML that does not add up, a file
            // that ends early: all of it is a file that is not a usable WIM.
            return kErrorInvalidData;
    }
}

}  // namespace

std::shared_ptr<WimFile> WimFile::open(const fs::path& host, const std::wstring& windowsPath, std::uint32_t flags,
                                       OpenFiles::Hold held, std::uint32_t& error) {
    initialiseWimlib();
    error = checkFile(host);
    if (error != 0) return nullptr;
    int openFlags = 0;
    if (flags & kWimFlagVerify) openFlags |= WIMLIB_OPEN_FLAG_CHECK_INTEGRITY;
    WIMStruct* wim = nullptr;
    const int rc = wimlib_open_wim(host.c_str(), openFlags, &wim);
    if (rc != 0) {
        error = windowsError(rc);
        return nullptr;
    }
    std::shared_ptr<WimFile> file(new WimFile(wim, windowsPath, flags, std::move(held)));
    wimlib_wim_info info{};
    wimlib_get_wim_info(wim, &info);
    // wimgapi opens solid resources only for a caller that says it can take them; older
    // callers are told the format is not supported.
    if (info.wim_version == kSolidWimVersion && !(flags & kWimFlagSolidAllowed)) {
        error = kErrorNotSupported;
        return nullptr;
    }
    return file;
}

WimFile::~WimFile() { wimlib_free(wim_); }

std::uint32_t WimFile::imageCount() const {
    std::lock_guard lock(mutex_);
    wimlib_wim_info info{};
    wimlib_get_wim_info(wim_, &info);
    return info.image_count;
}

bool WimFile::xml(std::u16string& text, std::uint32_t& error) const {
    std::lock_guard lock(mutex_);
    void* buffer = nullptr;
    std::size_t bytes = 0;
    const int rc = wimlib_get_xml_data(wim_, &buffer, &bytes);
    if (rc != 0) {
        error = windowsError(rc);
        return false;
    }
    const auto* data = static_cast<const unsigned char*>(buffer);
    text.clear();
    text.reserve(bytes / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        text.push_back(static_cast<char16_t>(readLe16(data + i)));
    }
    std::free(buffer);
    if (text.empty() || text.front() != kByteOrderMark) text.insert(text.begin(), kByteOrderMark);
    return true;
}

void WimFile::fillInfo(unsigned char* out) const {
    std::lock_guard lock(mutex_);
    wimlib_wim_info info{};
    wimlib_get_wim_info(wim_, &info);
    std::memset(out, 0, kWimInfoSize);
    // WimPath: WCHAR[260], NUL-terminated, cut to fit.
    const std::size_t chars = std::min(windowsPath_.size(), record::kWimPathCharacters - 1);
    for (std::size_t i = 0; i < chars; ++i)
        writeLe16(out + record::kWimPath + 2 * i, static_cast<std::uint16_t>(windowsPath_[i]));
    std::memcpy(out + record::kWimGuid, info.guid, 16);
    writeLe32(out + record::kWimImageCount, info.image_count);
    writeLe32(out + record::kWimCompressionType, static_cast<std::uint32_t>(info.compression_type));
    writeLe16(out + record::kWimPartNumber, info.part_number);
    writeLe16(out + record::kWimTotalParts, info.total_parts);
    writeLe32(out + record::kWimBootIndex, info.boot_index);
    std::uint32_t attributes = 0;
    if (info.resource_only) attributes |= 0x1;
    if (info.metadata_only) attributes |= 0x2;
    if (info.has_integrity_table) attributes |= 0x4;
    if (info.has_rpfix) attributes |= 0x8;
    if (info.spanned || info.total_parts > 1) attributes |= 0x10;
    if (info.is_marked_readonly) attributes |= 0x20;
    writeLe32(out + record::kWimAttributes, attributes);
    writeLe32(out + record::kWimFlagsAndAttr, flags_);
}

void WimFile::addReference(const fs::path& part, OpenFiles::Hold held, bool append) {
    std::lock_guard lock(mutex_);
    // wimlib cannot forget parts it was given; a new list only adds the parts not yet given.
    if (!append) {
        references_.erase(references_.begin() + static_cast<std::ptrdiff_t>(referencesInUse_), references_.end());
        referencesHeld_.clear();
    }
    references_.push_back(part);
    referencesHeld_.push_back(std::move(held));
}

std::uint32_t WimFile::useReferences() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (std::size_t i = referencesInUse_; i < references_.size(); ++i) names.push_back(references_[i].string());
    if (names.empty()) return 0;
    std::vector<const char*> pointers;
    for (const auto& name : names) pointers.push_back(name.c_str());
    // The parts are checked as the file itself was: with the integrity table when asked to.
    const int openFlags = (flags_ & kWimFlagVerify) ? WIMLIB_OPEN_FLAG_CHECK_INTEGRITY : 0;
    const int rc =
        wimlib_reference_resource_files(wim_, pointers.data(), static_cast<unsigned>(pointers.size()), 0, openFlags);
    if (rc != 0) return windowsError(rc);
    referencesInUse_ = references_.size();
    return 0;
}

std::u16string imageElement(const std::u16string& document, std::uint32_t index) {
    const std::u16string start = u"<IMAGE INDEX=\"" + [&] {
        std::u16string digits;
        for (char c : std::to_string(index)) digits.push_back(static_cast<char16_t>(c));
        return digits;
    }() + u"\"";
    const std::size_t begin = document.find(start);
    if (begin == std::u16string::npos) return {};
    const std::u16string end = u"</IMAGE>";
    const std::size_t close = document.find(end, begin);
    if (close == std::u16string::npos) return {};
    std::u16string element(1, kByteOrderMark);
    element += document.substr(begin, close + end.size() - begin);
    return element;
}

}  // namespace halvora::sim
