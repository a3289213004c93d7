#include "disks/volume_records.hpp"

#include "app/text.hpp"

namespace halvora {

namespace {

template <std::size_t N>
std::uint32_t read32(const std::array<std::uint8_t, N>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

template <std::size_t N>
std::uint16_t read16(const std::array<std::uint8_t, N>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// STORAGE_DEVICE_NUMBER: DeviceType, DeviceNumber, PartitionNumber.
constexpr std::size_t kDeviceNumberAt = 4;
constexpr std::size_t kDevicePartitionAt = 8;
// PARTITION_INFORMATION_EX: the style, offsets and lengths, then the MBR or GPT part at 32.
constexpr std::size_t kStyleAt = 0;
constexpr std::size_t kPartitionNumberAt = 24;
constexpr std::size_t kMbrTypeAt = 32;
constexpr std::size_t kMbrBootIndicatorAt = 33;
constexpr std::size_t kGptTypeAt = 32;
constexpr std::size_t kGptNameAt = 72;
constexpr std::size_t kGptNameCharacters = 36;
// STORAGE_DEVICE_DESCRIPTOR.
constexpr std::size_t kVendorOffsetAt = 12;
constexpr std::size_t kProductOffsetAt = 16;
constexpr std::size_t kBusTypeAt = 28;

// A zero-terminated single-byte text at `offset` of the buffer; it ends at the buffer's end at
// the latest, whatever the offset claims.
std::wstring textAt(const DeviceDescriptorBytes& bytes, std::uint32_t offset) {
    std::wstring text;
    for (std::size_t i = offset; i < bytes.size() && bytes[i] != 0; ++i) text.push_back(static_cast<wchar_t>(bytes[i]));
    return text;
}

}  // namespace

DeviceNumber decodeDeviceNumber(const DeviceNumberBytes& bytes) {
    return {read32(bytes, kDeviceNumberAt), read32(bytes, kDevicePartitionAt)};
}

PartitionInfo decodePartitionInfo(const PartitionInfoBytes& bytes) {
    PartitionInfo info;
    info.PartitionStyle = read32(bytes, kStyleAt);
    info.PartitionNumber = read32(bytes, kPartitionNumberAt);
    info.MbrPartitionType = bytes[kMbrTypeAt];
    info.MbrBootIndicator = bytes[kMbrBootIndicatorAt];
    for (std::size_t i = 0; i < info.GptPartitionType.size(); ++i) info.GptPartitionType[i] = bytes[kGptTypeAt + i];
    for (std::size_t i = 0; i < kGptNameCharacters; ++i) {
        const std::uint16_t c = read16(bytes, kGptNameAt + 2 * i);
        if (c == 0) break;
        info.GptName.push_back(static_cast<wchar_t>(c));
    }
    return info;
}

DeviceDescriptor decodeDeviceDescriptor(const DeviceDescriptorBytes& bytes) {
    DeviceDescriptor d;
    const std::uint32_t vendor = read32(bytes, kVendorOffsetAt);
    const std::uint32_t product = read32(bytes, kProductOffsetAt);
    d.HasVendor = vendor != 0;
    d.HasProduct = product != 0;
    if (d.HasVendor) d.Vendor = textAt(bytes, vendor);
    if (d.HasProduct) d.Product = textAt(bytes, product);
    d.BusType = read16(bytes, kBusTypeAt);
    return d;
}

std::wstring guidText(const GuidBytes& g) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text = L"{";
    auto hex = [&](std::uint8_t b) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0xF]);
    };
    // Data1, Data2 and Data3 are little-endian numbers; Data4 is bytes in order.
    for (int i = 3; i >= 0; --i) hex(g[static_cast<std::size_t>(i)]);
    text.push_back(L'-');
    hex(g[5]);
    hex(g[4]);
    text.push_back(L'-');
    hex(g[7]);
    hex(g[6]);
    text.push_back(L'-');
    hex(g[8]);
    hex(g[9]);
    text.push_back(L'-');
    for (std::size_t i = 10; i < 16; ++i) hex(g[i]);
    text.push_back(L'}');
    return text;
}

bool isGptEsp(const PartitionInfo& info) {
    return info.PartitionStyle == kPartitionStyleGpt && toUpper(guidText(info.GptPartitionType)) == kEspTypeGuid;
}

bool isMbrEsp(const PartitionInfo& info) {
    return info.PartitionStyle == kPartitionStyleMbr && info.MbrPartitionType == 0xEF;
}

bool isEsp(const PartitionInfo& info) { return isGptEsp(info) || isMbrEsp(info); }

bool isActive(const PartitionInfo& info) {
    return info.PartitionStyle == kPartitionStyleMbr && info.MbrBootIndicator == 1;
}

std::wstring partitionStyleText(const PartitionInfo& info) {
    if (info.PartitionStyle == kPartitionStyleMbr) return L"MBR";
    if (info.PartitionStyle == kPartitionStyleGpt) return L"GPT";
    return L"RAW";
}

std::wstring bootTypeText(const PartitionInfo& info) {
    if (isEsp(info)) return L"ESP";
    if (isActive(info)) return L"ACT";
    return L"";
}

std::wstring productText(const DeviceDescriptor& d) {
    std::wstring text;
    if (d.HasVendor) text += trimSpaces(d.Vendor) + L" ";
    if (d.HasProduct) text += trimSpaces(d.Product) + L" ";
    return text;
}

}  // namespace halvora
