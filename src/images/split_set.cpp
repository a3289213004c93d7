#include "images/split_set.hpp"

#include <optional>

#include "base/paths.hpp"
#include "images/image_file.hpp"

namespace halvora {

namespace {

// The file's WIM_INFO, or the library's error. Only the header is wanted, so the integrity
// table is not checked here, whatever "Check" says; the apply's own opening checks it.
std::optional<WimInfo> readWimInfo(Program& program, const std::wstring& path, bool log, std::uint32_t& error) {
    ImagingLibrary& wim = program.system.imaging();
    const WimHandle file = openImageFile(program, path, {.checkIntegrity = false, .log = log});
    std::optional<WimInfo> info;
    if (file == 0) {
        error = wim.lastError();
    } else {
        WimInfoBytes bytes{};
        if (wim.getAttributes(file, bytes.data(), kWimInfoSize)) {
            info = decodeWimInfo(bytes);
        } else {
            error = wim.lastError();
        }
        wim.closeHandle(file);
    }
    if (log) wim.unregisterLogFile(program.state.ImagingLogPath);  // started also when the open failed
    return info;
}

}  // namespace

std::wstring splitPartPath(const std::wstring& firstPart, unsigned part) {
    const std::wstring name = fileNamePart(firstPart);
    const std::size_t dot = name.find_last_of(L'.');
    const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
    return folderPart(firstPart) + stem + std::to_wstring(part) + L"." + extension;
}

std::wstring splitPartRefusal(const WimInfo& set, unsigned number, const std::wstring& path,
                              const SplitPartReading& part) {
    if (part.size < 0) return kSplitPartMissingText + path;
    if (part.size == 0) return kEmptyImageFileText + path;
    if (!part.read) return notAnImageText(path, part.error);
    const WimInfo& info = part.info;
    if (info.Guid != set.Guid || info.TotalParts != set.TotalParts || info.PartNumber != number) {
        return kSplitPartMismatchText + path;
    }
    return L"";
}

SplitPartReading readSplitPart(Program& program, const std::wstring& path, bool log) {
    SplitPartReading part;
    part.size = program.system.fileSize(path);
    if (part.size <= 0) return part;
    const std::optional<WimInfo> info = readWimInfo(program, path, log, part.error);
    part.read = info.has_value();
    if (info) part.info = *info;
    return part;
}

std::wstring splitSetRefusal(Program& program, const std::wstring& firstPart, const WimInfo& set, bool log) {
    if (set.PartNumber != 1 || set.TotalParts < 2) return L"";
    for (unsigned number = 2; number <= set.TotalParts; ++number) {
        const std::wstring path = splitPartPath(firstPart, number);
        const std::wstring refusal = splitPartRefusal(set, number, path, readSplitPart(program, path, log));
        if (!refusal.empty()) return refusal;
    }
    return L"";
}

std::wstring splitSetRefusal(Program& program, const std::wstring& firstPart, bool log) {
    std::uint32_t error = 0;
    const std::optional<WimInfo> set = readWimInfo(program, firstPart, log, error);
    return set ? splitSetRefusal(program, firstPart, *set, log) : L"";
}

}  // namespace halvora
