#include "wim_header.hpp"

#include <cstring>

namespace standin {

namespace {

// Header flags.
constexpr std::uint32_t kFlagCompression = 0x00000002;
constexpr std::uint32_t kFlagReadOnly = 0x00000004;
constexpr std::uint32_t kFlagSpanned = 0x00000008;
constexpr std::uint32_t kFlagResourceOnly = 0x00000010;
constexpr std::uint32_t kFlagMetadataOnly = 0x00000020;
constexpr std::uint32_t kFlagRpFix = 0x00000080;
constexpr std::uint32_t kFlagXpress = 0x00020000;
constexpr std::uint32_t kFlagLzx = 0x00040000;
constexpr std::uint32_t kFlagLzms = 0x00080000;

// WIM_ATTRIBUTE_* of WIM_INFO.
constexpr std::uint32_t kAttributeResourceOnly = 0x01;
constexpr std::uint32_t kAttributeMetadataOnly = 0x02;
constexpr std::uint32_t kAttributeVerifyData = 0x04;
constexpr std::uint32_t kAttributeRpFix = 0x08;
constexpr std::uint32_t kAttributeSpanned = 0x10;
constexpr std::uint32_t kAttributeReadOnly = 0x20;

template <typename T>
T readAt(const std::uint8_t* bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes + offset, sizeof value);  // the file is little-endian, as is x64
    return value;
}

ResourceHeader resourceAt(const std::uint8_t* bytes, std::size_t offset) {
    ResourceHeader r;
    const auto sizeAndFlags = readAt<std::uint64_t>(bytes, offset);
    r.storedSize = sizeAndFlags & 0x00FFFFFFFFFFFFFFull;
    r.flags = static_cast<std::uint8_t>(sizeAndFlags >> 56);
    r.offset = readAt<std::uint64_t>(bytes, offset + 8);
    r.originalSize = readAt<std::uint64_t>(bytes, offset + 16);
    return r;
}

}  // namespace

bool parseWimHeader(const std::uint8_t* bytes, std::size_t size, WimHeader& h) {
    static const std::uint8_t kMagic[8] = {'M', 'S', 'W', 'I', 'M', 0, 0, 0};
    if (size < kWimHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return false;
    h.headerSize = readAt<std::uint32_t>(bytes, 8);
    if (h.headerSize < kWimHeaderSize) return false;
    h.version = readAt<std::uint32_t>(bytes, 12);
    h.flags = readAt<std::uint32_t>(bytes, 16);
    h.chunkSize = readAt<std::uint32_t>(bytes, 20);
    std::memcpy(h.guid, bytes + 24, sizeof h.guid);
    h.partNumber = readAt<std::uint16_t>(bytes, 40);
    h.totalParts = readAt<std::uint16_t>(bytes, 42);
    h.imageCount = readAt<std::uint32_t>(bytes, 44);
    h.offsetTable = resourceAt(bytes, 48);
    h.xml = resourceAt(bytes, 72);
    h.bootMetadata = resourceAt(bytes, 96);
    h.bootIndex = readAt<std::uint32_t>(bytes, 120);
    h.integrity = resourceAt(bytes, 124);
    return true;
}

std::uint32_t compressionType(const WimHeader& h) {
    if (!(h.flags & kFlagCompression)) return 0;
    if (h.flags & kFlagXpress) return 1;
    if (h.flags & kFlagLzx) return 2;
    if (h.flags & kFlagLzms) return 3;
    return 0;
}

std::uint32_t wimAttributes(const WimHeader& h) {
    std::uint32_t a = 0;
    if (h.flags & kFlagResourceOnly) a |= kAttributeResourceOnly;
    if (h.flags & kFlagMetadataOnly) a |= kAttributeMetadataOnly;
    if (h.integrity.storedSize != 0) a |= kAttributeVerifyData;
    if (h.flags & kFlagRpFix) a |= kAttributeRpFix;
    if (h.flags & kFlagSpanned) a |= kAttributeSpanned;
    if (h.flags & kFlagReadOnly) a |= kAttributeReadOnly;
    return a;
}

}  // namespace standin
