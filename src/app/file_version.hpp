#pragma once
// Texts from the version resource of a file; the program shows the FileVersion of the imaging
// library in its title and information box.

#include <string>

#include "platform/system.hpp"

namespace halvora {

enum VersionKey : unsigned {
    kFileVersion = 1,
    kFileDescription = 2,
    kLegalCopyright = 4,
    kInternalName = 8,
    kOriginalFilename = 16,
    kProductName = 32,
    kProductVersion = 64,
    kCompanyName = 128,
    kLegalTrademarks = 256,
    kSpecialBuild = 512,
    kPrivateBuild = 1024,
    kComments = 2048,
    kLanguage = 4096,
};

// The key of one bit of the mask; the empty text for anything else.
std::wstring versionKeyName(unsigned bit);

// The requested keys in table order, joined by "\n", each as "Key:\t" + value when `labels`.
// Missing parts are left out; a file without a version resource gives the empty text.
std::wstring fileVersionText(System& system, const std::wstring& path, unsigned mask, bool labels);

}  // namespace halvora
