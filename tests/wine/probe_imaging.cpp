// The win32 imaging backend in the probe's own process, against whichever wimgapi.dll the Wine
// prefix has: the stand-in (a WIM file to open is given) or Wine's own placeholder (no file).

#include <windows.h>

#include <array>
#include <cstring>
#include <string>

#include "images/wim_info.hpp"
#include "platform/win32/win32_imaging.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

int checkWithStandIn(halvora::ImagingLibrary& wim, const std::wstring& path) {
    std::uint32_t creation = 99;
    const halvora::WimHandle file =
        wim.createFile(path, halvora::kWimGenericRead, halvora::kWimOpenExisting, 0, 0, &creation);
    check(file != 0 && creation == 1, "WIMCreateFile opens the WIM, reporting it as opened (1)",
          "handle " + std::to_string(file) + ", error " + std::to_string(wim.lastError()));
    if (file == 0) return failures;

    halvora::WimInfoBytes bytes{};
    const bool got = wim.getAttributes(file, bytes.data(), halvora::kWimInfoSize);
    const halvora::WimInfo info = halvora::decodeWimInfo(bytes);
    check(got && info.ImageCount == 2 && info.PartNumber == 1 && info.TotalParts == 1 && info.CompressionType == 2,
          "WIMGetAttributes fills WIM_INFO: 2 images, part 1 of 1, LZX",
          std::to_string(info.ImageCount) + " images, part " + std::to_string(info.PartNumber) + " of " +
              std::to_string(info.TotalParts) + ", compression " + std::to_string(info.CompressionType));
    check(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data())) == path, "WIM_INFO.WimPath is the path opened");

    std::u16string text;
    const bool read = wim.getImageInformation(file, text);
    const std::size_t end = text.rfind(u"</WIM>");
    check(read && !text.empty() && text.front() == u'\xFEFF' && text.find(u'\0') == std::u16string::npos &&
              text.find(u"<IMAGE INDEX=\"2\">") != std::u16string::npos && end != std::u16string::npos &&
              text.size() - end <= 8,
          "WIMGetImageInformation gives the XML from its byte-order mark to its end, and no more",
          std::to_string(text.size()) + " units");

    check(!wim.setReferenceFile(file, path, halvora::kWimReferenceAppend) &&
              wim.lastError() == ERROR_CALL_NOT_IMPLEMENTED,
          "an operation the stand-in does not do fails, and lastError() tells ERROR_CALL_NOT_IMPLEMENTED");
    check(wim.closeHandle(file), "WIMCloseHandle closes the file");

    SetLastError(0);
    check(wim.createFile(path + L".missing", halvora::kWimGenericRead, halvora::kWimOpenExisting, 0, 0, nullptr) == 0 &&
              wim.lastError() == ERROR_FILE_NOT_FOUND,
          "opening a missing file fails with ERROR_FILE_NOT_FOUND", std::to_string(wim.lastError()));

    const std::uint32_t index = wim.registerMessageCallback(
        0, [](std::uint32_t, std::uintptr_t, std::intptr_t) { return halvora::kWimMsgSuccess; });
    check(index != halvora::kWimInvalidCallback && wim.unregisterMessageCallback(0),
          "a message callback for every handle registers and unregisters");
    return failures;
}

int checkWithPlaceholder(halvora::ImagingLibrary& wim) {
    check(wim.createFile(L"C:\\none.wim", halvora::kWimGenericRead, halvora::kWimOpenExisting, 0, 0, nullptr) == 0 &&
              wim.lastError() == ERROR_CALL_NOT_IMPLEMENTED,
          "with Wine's own wimgapi.dll WIMCreateFile fails with ERROR_CALL_NOT_IMPLEMENTED",
          std::to_string(wim.lastError()));
    // Wine's own WIMUnregisterMessageCallback would end this process; getting past it is the check.
    const bool unregistered = wim.unregisterMessageCallback(0);
    check(!unregistered && wim.lastError() == ERROR_CALL_NOT_IMPLEMENTED,
          "unregistering callbacks fails as not implemented and the process goes on");
    return failures;
}

}  // namespace

int checkImaging(const std::wstring& wimPath) {
    auto wim = halvora::win32::openImagingLibrary();
    return wimPath.empty() ? checkWithPlaceholder(*wim) : checkWithStandIn(*wim, wimPath);
}

}  // namespace probe
