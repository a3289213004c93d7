#include "images/iso_image.hpp"

#include "app/text.hpp"

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
    return L"";
}

}  // namespace halvora
