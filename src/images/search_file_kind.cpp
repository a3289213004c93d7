#include "images/search_file_kind.hpp"

#include "base/text.hpp"

namespace halvora {

std::optional<SearchFileKind> searchFileKind(const std::wstring& name, bool esdSupported, bool includeIso) {
    const std::size_t dot = name.find_last_of(L'.');
    // A name without a dot has no extension at all: "WIM" alone is no image file.
    if (dot == std::wstring::npos || name.size() - dot != 4) return std::nullopt;
    const std::wstring extension = toUpper(name.substr(dot + 1));
    if (extension == L"WIM") return SearchFileKind::Wim;
    if (extension == L"SWM") return SearchFileKind::Swm;
    if (extension == L"ESD" && esdSupported) return SearchFileKind::Esd;
    if (extension == L"ISO" && includeIso) return SearchFileKind::Iso;
    return std::nullopt;
}

const ColourPair& searchFileColours(const ColourTable& colours, SearchFileKind kind) {
    switch (kind) {
        case SearchFileKind::Wim:
            return colours.findWim;
        case SearchFileKind::Swm:
            return colours.findSwm;
        case SearchFileKind::Esd:
            return colours.findEsd;
        case SearchFileKind::Iso:
            return colours.findIso;
    }
    return colours.findWim;
}

}  // namespace halvora
