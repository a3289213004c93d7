#include "app/file_version.hpp"

#include <cstdio>
#include <vector>

namespace halvora {

std::wstring versionKeyName(unsigned bit) {
    switch (bit) {
        case kFileVersion:
            return L"FileVersion";
        case kFileDescription:
            return L"FileDescription";
        case kLegalCopyright:
            return L"LegalCopyright";
        case kInternalName:
            return L"InternalName";
        case kOriginalFilename:
            return L"OriginalFilename";
        case kProductName:
            return L"ProductName";
        case kProductVersion:
            return L"ProductVersion";
        case kCompanyName:
            return L"CompanyName";
        case kLegalTrademarks:
            return L"LegalTrademarks";
        case kSpecialBuild:
            return L"SpecialBuild";
        case kPrivateBuild:
            return L"PrivateBuild";
        case kComments:
            return L"Comments";
        case kLanguage:
            return L"Language";
        default:
            return L"";
    }
}

namespace {

std::wstring hex4(unsigned value) {
    wchar_t buffer[8];
    std::swprintf(buffer, 8, L"%04X", value & 0xFFFFu);
    return buffer;
}

void appendEntry(std::wstring& result, unsigned bit, bool labels, const std::wstring& value) {
    if (!result.empty()) result += L"\n";
    if (labels) result += versionKeyName(bit) + L":\t";
    result += value;
}

}  // namespace

std::wstring fileVersionText(System& system, const std::wstring& path, unsigned mask, bool labels) {
    std::wstring result;
    if (system.fileSize(path) <= 0) return result;
    auto library = system.loadVersionLibrary();
    if (!library) return result;

    // The whole size is used: cutting it to 16 bits, as some readers do, would hand
    // VerQueryValueW a truncated block whose own length field points past its end.
    const std::uint32_t size = library->getFileVersionInfoSize(path);
    if (size == 0 || size > 0x7FFFFFFFu) return result;
    std::vector<std::uint8_t> block;
    if (!library->getFileVersionInfo(path, size, block)) return result;

    std::wstring translation;
    std::wstring languageName;
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    if (library->queryTranslation(block, language, codePage)) {
        translation = hex4(language) + hex4(codePage);
        languageName = library->languageName(language);
    }

    for (unsigned bit = kFileVersion; bit <= kComments; bit <<= 1) {
        if ((mask & bit) == 0) continue;
        std::wstring value;
        if (!library->queryString(block, L"\\StringFileInfo\\" + translation + L"\\" + versionKeyName(bit), value)) {
            continue;
        }
        const std::size_t nul = value.find(L'\0');
        if (nul != std::wstring::npos) value.resize(nul);
        appendEntry(result, bit, labels, value);
    }
    if ((mask & kLanguage) != 0) appendEntry(result, kLanguage, labels, languageName);
    return result;
}

}  // namespace halvora
