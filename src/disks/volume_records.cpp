#include "disks/volume_records.hpp"

#include "base/little_endian.hpp"
#include "base/text.hpp"

namespace halvora {

namespace {

// A zero-terminated single-byte text at `offset` of the buffer; it ends at the buffer's end at
// the latest, whatever the offset claims.
std::wstring textAt(const DeviceDescriptorBytes& bytes, std::uint32_t offset) {
    std::wstring text;
    for (std::size_t i = offset; i < bytes.size() && bytes[i] != 0; ++i) text.push_back(static_cast<wchar_t>(bytes[i]));
    return text;
}

}  // namespace

DeviceNumber decodeDeviceNumber(const DeviceNumberBytes& bytes) {
    return {readLe32(&bytes[record::kDeviceNumber]), readLe32(&bytes[record::kDevicePartitionNumber])};
}

PartitionInfo decodePartitionInfo(const PartitionInfoBytes& bytes) {
    PartitionInfo info;
    info.PartitionStyle = readLe32(&bytes[record::kPartitionStyle]);
    info.PartitionNumber = readLe32(&bytes[record::kPartitionNumber]);
    info.MbrPartitionType = bytes[record::kMbrPartitionType];
    info.MbrBootIndicator = bytes[record::kMbrBootIndicator];
    for (std::size_t i = 0; i < info.GptPartitionType.size(); ++i)
        info.GptPartitionType[i] = bytes[record::kGptPartitionType + i];
    for (std::size_t i = 0; i < record::kGptNameCharacters; ++i) {
        const std::uint16_t c = readLe16(&bytes[record::kGptName + 2 * i]);
        if (c == 0) break;
        info.GptName.push_back(static_cast<wchar_t>(c));
    }
    return info;
}

DeviceDescriptor decodeDeviceDescriptor(const DeviceDescriptorBytes& bytes) {
    DeviceDescriptor d;
    const std::uint32_t vendor = readLe32(&bytes[record::kVendorIdOffset]);
    const std::uint32_t product = readLe32(&bytes[record::kProductIdOffset]);
    d.HasVendor = vendor != 0;
    d.HasProduct = product != 0;
    if (d.HasVendor) d.Vendor = textAt(bytes, vendor);
    if (d.HasProduct) d.Product = textAt(bytes, product);
    d.BusType = readLe16(&bytes[record::kBusType]);
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
