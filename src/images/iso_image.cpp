#include "images/iso_image.hpp"

#include "base/text.hpp"
#include "images/iso_mount.hpp"

namespace halvora {

std::wstring fileExtension(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    return toUpper(path.substr(dot + 1));
}

std::wstring resolveIsoImage(Program& program, const std::wstring& path) {
    const std::wstring extension = fileExtension(path);
    if (extension == L"WIM" || extension == L"SWM") return path;
    if (extension == L"ESD") return program.state.EsdSupported ? path : L"";
    if (extension != L"ISO" || !program.state.IsoSupported) return L"";
    const std::wstring root = mountIso(program, path);
    if (root.empty()) return L"";
    for (const wchar_t* name : {L"sources\\install.wim", L"sources\\install.swm", L"sources\\install.esd"}) {
        const std::wstring candidate = root + name;
        if (program.system.fileSize(candidate) < 1) continue;
        if (fileExtension(candidate) == L"ESD" && !program.state.EsdSupported) return L"";
        return candidate;
    }
    // No install file: the file requester opens in the ISO's root.
    return root;
}

}  // namespace halvora
