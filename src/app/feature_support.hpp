#pragma once
// Which imaging features this Windows offers, decided from its version and the presence of
// the boot tool and the virtual-disk library.

#include <string>

#include "platform/system.hpp"

namespace halvora {

struct FeatureSupport {
    bool bcdboot = false;
    bool iso = false;
    bool esd = false;
    bool compact = false;
    std::wstring report;  // appended to the status text, each part with a leading blank
};

// "major.minor.build" of RtlGetVersion; empty when ntdll.dll cannot be opened.
std::wstring osVersionText(System& system);
// The major and minor fields as one number (6.3, 10.0); 0 for an empty text.
double osVersionNumber(const std::wstring& versionText);

FeatureSupport evaluateFeatures(const std::wstring& versionText, bool bcdbootPresent, bool virtDiskPresent);

}  // namespace halvora
