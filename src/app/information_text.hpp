#pragma once

#include <string>

namespace halvora {

// The command-line help that ends the information box.
const std::wstring& usageText();

// The whole text of the information box, given the imaging library's file version.
std::wstring informationText(const std::wstring& wimgapiVersion);

}  // namespace halvora
