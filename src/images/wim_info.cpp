#include "images/wim_info.hpp"

#include <algorithm>

#include "base/little_endian.hpp"

namespace halvora {

namespace {

std::wstring upperHex(std::uint32_t value) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

}  // namespace

WimInfo decodeWimInfo(const WimInfoBytes& bytes) {
    WimInfo info;
    info.ImageCount = readLe32(&bytes[record::kWimImageCount]);
    info.CompressionType = readLe32(&bytes[record::kWimCompressionType]);
    info.PartNumber = readLe16(&bytes[record::kWimPartNumber]);
    info.TotalParts = readLe16(&bytes[record::kWimTotalParts]);
    info.BootIndex = readLe32(&bytes[record::kWimBootIndex]);
    info.WimAttributes = readLe32(&bytes[record::kWimAttributes]);
    std::copy_n(bytes.begin() + record::kWimGuid, info.Guid.size(), info.Guid.begin());
    return info;
}

std::wstring attributeNames(std::uint32_t attributes) {
    static const std::pair<std::uint32_t, const wchar_t*> names[] = {{0x01, L" RESOURCE"}, {0x02, L" METADATA"},
                                                                     {0x04, L" VERIFYY"},  {0x08, L" RP_FIX"},
                                                                     {0x10, L" SPANNED"},  {0x20, L" READONLY"}};
    std::wstring text;
    for (const auto& [bit, name] : names) {
        if (attributes & bit) text += name;
    }
    return text;
}

std::wstring imageFileSummary(const WimInfo& info) {
    static const wchar_t* const compression[] = {L"NONE", L"XPRESS", L"LZX", L"LZMS"};
    std::wstring text = L"ImageCount: " + std::to_wstring(info.ImageCount) + L"  TotalParts: " +
                        std::to_wstring(info.TotalParts) + L"  속성: 0x" + upperHex(info.WimAttributes) +
                        attributeNames(info.WimAttributes) + L"  압축방식: ";
    if (info.CompressionType < 4) text += compression[info.CompressionType];
    if (info.BootIndex > 0) text += L"  BootIndex: " + std::to_wstring(info.BootIndex);
    return text;
}

std::wstring firstPartPath(const std::wstring& path, std::uint32_t partNumber) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot >= nameStart;
    const std::wstring folder = path.substr(0, nameStart);
    std::wstring stem = path.substr(nameStart, (hasExtension ? dot : path.size()) - nameStart);
    const std::wstring extension = hasExtension ? path.substr(dot + 1) : std::wstring();
    const std::size_t digits = std::to_wstring(partNumber).size();
    stem.resize(stem.size() > digits ? stem.size() - digits : 0);
    return folder + stem + L"." + extension;
}

}  // namespace halvora
