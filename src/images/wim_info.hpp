#pragma once
// What the imaging library says of an image file as a whole (its WIM_INFO), and the texts the
// program makes of it.

#include <array>
#include <cstdint>
#include <string>

#include "platform/imaging.hpp"

namespace halvora {

using WimGuid = std::array<std::uint8_t, 16>;

struct WimInfo {
    std::uint32_t ImageCount = 0;
    std::uint32_t CompressionType = 0;
    std::uint16_t PartNumber = 0;
    std::uint16_t TotalParts = 0;
    std::uint32_t BootIndex = 0;
    std::uint32_t WimAttributes = 0;
    // Every part of a split set carries its set's GUID; a part of another set does not.
    WimGuid Guid{};
};

using WimInfoBytes = std::array<std::uint8_t, kWimInfoSize>;

// Reads the fields the program uses from WIM_INFO's published layout (little-endian).
WimInfo decodeWimInfo(const WimInfoBytes& bytes);

// " RESOURCE METADATA ..." for the set attribute bits, in bit order.
std::wstring attributeNames(std::uint32_t attributes);

// The line shown in the status bar for a good image file.
std::wstring imageFileSummary(const WimInfo& info);

// The first part of the split set that `path` (part `partNumber`) belongs to: install3.swm →
// install.swm. The number's digits are taken off the end of the name.
std::wstring firstPartPath(const std::wstring& path, std::uint32_t partNumber);

}  // namespace halvora
