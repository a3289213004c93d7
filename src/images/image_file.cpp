#include "images/image_file.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"
#include "images/wim_info.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

bool optionMarked(Program& program, int item) { return program.ui.isMenuItemChecked(kOptionsMenu, item); }

}  // namespace

WimHandle openImageFile(Program& program, const std::wstring& path) {
    ImagingLibrary& wim = program.system.imaging();
    std::uint32_t flags = 0;
    if (program.state.EsdSupported) flags |= kWimFlagSolidAllowed;
    if (optionMarked(program, kMenuCheck)) flags |= kWimFlagVerify;
    if (optionMarked(program, kMenuLog)) wim.registerLogFile(program.state.ImagingLogPath, kWimLogFlags);
    std::uint32_t creationResult = 0;
    return wim.createFile(path, kWimGenericRead, kWimOpenExisting, flags, 0, &creationResult);
}

void closeImageFile(Program& program, WimHandle handle) {
    ImagingLibrary& wim = program.system.imaging();
    if (handle != 0) wim.closeHandle(handle);
    if (optionMarked(program, kMenuLog)) wim.unregisterLogFile(program.state.ImagingLogPath);
}

std::wstring readImageXml(Program& program, const std::wstring& path) {
    const WimHandle file = openImageFile(program, path);
    if (file == 0) {
        closeImageFile(program, file);  // the log was started all the same
        return L"";
    }
    std::u16string information;
    const bool read = program.system.imaging().getImageInformation(file, information);
    closeImageFile(program, file);
    if (!read) return L"";
    information = information.substr(0, information.find(u'\0'));
    return fromUtf16(information);
}

std::wstring checkImageFile(Program& program, const std::wstring& path, bool showSummary) {
    std::wstring candidate = path;
    bool good = false;
    WimInfo info;
    for (int attempt = 0; attempt < 2 && !good; ++attempt) {
        if (program.system.fileSize(candidate) < 1) continue;
        const WimHandle file = openImageFile(program, candidate);
        if (file == 0) {
            closeImageFile(program, file);
            continue;
        }
        WimInfoBytes bytes{};
        if (program.system.imaging().getAttributes(file, bytes.data(), kWimInfoSize)) {
            info = decodeWimInfo(bytes);
            if (info.PartNumber == 1) {
                good = true;
            } else if (info.PartNumber > 1) {
                candidate = firstPartPath(candidate, info.PartNumber);
            }
        }
        closeImageFile(program, file);
    }
    if (!good) return L"";
    if (showSummary) showStatus(program, imageFileSummary(info));
    return candidate;
}

}  // namespace halvora
