#include "images/image_file.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"
#include "images/wim_info.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

bool optionMarked(Program& program, int item) { return program.ui.isMenuItemChecked(controls::OptionsMenu, item); }

}  // namespace

WimHandle openImageFile(Program& program, const std::wstring& path) {
    return openImageFile(program, path,
                         {.checkIntegrity = optionMarked(program, kMenuCheck), .log = optionMarked(program, kMenuLog)});
}

WimHandle openImageFile(Program& program, const std::wstring& path, const ImageFileOptions& options) {
    ImagingLibrary& wim = program.system.imaging();
    std::uint32_t flags = 0;
    if (program.state.EsdSupported) flags |= kWimFlagSolidAllowed;
    if (options.checkIntegrity) flags |= kWimFlagVerify;
    if (options.log) wim.registerLogFile(program.state.ImagingLogPath, kWimLogFlags);
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
    std::wstring problem;  // why the file is not used, for the status bar
    for (int attempt = 0; attempt < 2 && !good; ++attempt) {
        const std::int64_t size = program.system.fileSize(candidate);
        if (size < 1) {
            if (attempt == 0) {
                problem = size == 0 ? kEmptyImageFileText + candidate : L"";
            } else {
                problem = (size == 0 ? kEmptyImageFileText : kFirstPartMissingText) + candidate;
            }
            continue;
        }
        const WimHandle file = openImageFile(program, candidate);
        if (file == 0) {
            const std::uint32_t error = program.system.imaging().lastError();
            closeImageFile(program, file);
            problem = notAnImageText(candidate, error);
            continue;
        }
        WimInfoBytes bytes{};
        if (program.system.imaging().getAttributes(file, bytes.data(), kWimInfoSize)) {
            info = decodeWimInfo(bytes);
            if (info.PartNumber == 1) {
                good = true;
            } else if (info.PartNumber > 1) {
                candidate = firstPartPath(candidate, info.PartNumber);
            } else {
                problem = notAnImageText(candidate, 0);
            }
        } else {
            problem = notAnImageText(candidate, program.system.imaging().lastError());
        }
        closeImageFile(program, file);
    }
    if (!good) {
        if (showSummary && !problem.empty()) showStatus(program, problem);
        return L"";
    }
    if (showSummary) showStatus(program, imageFileSummary(info));
    return candidate;
}

std::wstring notAnImageText(const std::wstring& path, std::uint32_t error) {
    std::wstring text = kNotAnImageText;
    if (error != 0) text += L"(에러 코드: " + std::to_wstring(error) + L") ";
    return text + path;
}

}  // namespace halvora
