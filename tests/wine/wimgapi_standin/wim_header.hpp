#pragma once
// The 208-byte header at the start of a WIM file, in its published layout, and what
// WIMGetAttributes makes of it.

#include <cstddef>
#include <cstdint>

namespace standin {

inline constexpr std::size_t kWimHeaderSize = 208;

// A resource header as the file stores it: 7 bytes of stored size and a flag byte, then the
// offset and the original (uncompressed) size.
struct ResourceHeader {
    std::uint64_t storedSize = 0;
    std::uint8_t flags = 0;
    std::uint64_t offset = 0;
    std::uint64_t originalSize = 0;
};
inline constexpr std::uint8_t kResourceCompressed = 0x04;

struct WimHeader {
    std::uint32_t headerSize = 0;
    std::uint32_t version = 0;
    std::uint32_t flags = 0;
    std::uint32_t chunkSize = 0;
    std::uint8_t guid[16] = {};
    std::uint16_t partNumber = 0;
    std::uint16_t totalParts = 0;
    std::uint32_t imageCount = 0;
    ResourceHeader offsetTable;
    ResourceHeader xml;
    ResourceHeader bootMetadata;
    std::uint32_t bootIndex = 0;
    ResourceHeader integrity;
};

// False when the bytes do not start with "MSWIM\0\0\0" or announce a header shorter than 208.
bool parseWimHeader(const std::uint8_t* bytes, std::size_t size, WimHeader& header);

// WIM_INFO.CompressionType from the header flags: 0 none, 1 XPRESS, 2 LZX, 3 LZMS.
std::uint32_t compressionType(const WimHeader& header);
// WIM_INFO.WimAttributes (WIM_ATTRIBUTE_*) from the header flags and the integrity table.
std::uint32_t wimAttributes(const WimHeader& header);

}  // namespace standin
