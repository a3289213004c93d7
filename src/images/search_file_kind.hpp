#pragma once
// Which files the install-file search lists, and the colours of their rows.

#include <optional>
#include <string>

#include "ui/colours.hpp"

namespace halvora {

enum class SearchFileKind { Wim, Swm, Esd, Iso };

// The kind of an install file by the extension of `name` (the text after its last dot, in any
// letter case); nullopt for any other file. ESD files count only where this Windows can apply
// them, ISO files only where it can attach them and the user asked for them.
std::optional<SearchFileKind> searchFileKind(const std::wstring& name, bool esdSupported, bool includeIso);

const ColourPair& searchFileColours(const ColourTable& colours, SearchFileKind kind);

}  // namespace halvora
