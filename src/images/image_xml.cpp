#include "images/image_xml.hpp"

#include <string_view>

#include "base/text.hpp"
#include "base/utf.hpp"

namespace halvora {

namespace {

bool startsWith(const std::wstring& s, const std::wstring& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool isHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

unsigned hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return static_cast<unsigned>(c - L'0');
    if (c >= L'a' && c <= L'f') return static_cast<unsigned>(c - L'a' + 10);
    return static_cast<unsigned>(c - L'A' + 10);
}

// The code point of a numeric reference body ("#65", "#x41"), or 0 when it is not one.
char32_t numericReference(const std::wstring& body) {
    if (body.size() < 2 || body[0] != L'#') return 0;
    const bool hex = body[1] == L'x' || body[1] == L'X';
    const std::size_t first = hex ? 2 : 1;
    if (first >= body.size()) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = first; i < body.size(); ++i) {
        const wchar_t c = body[i];
        const bool digit = hex ? isHexDigit(c) : (c >= L'0' && c <= L'9');
        if (!digit) return 0;
        value = value * (hex ? 16 : 10) + (hex ? hexValue(c) : static_cast<unsigned>(c - L'0'));
        if (value > 0x10FFFF) return 0;
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return surrogate ? 0 : static_cast<char32_t>(value);
}

// The value of an element read from its line, with the text's references decoded.
std::wstring elementValue(const std::wstring& line, const std::wstring& tag) {
    return decodeXmlEntities(tagValue(line, tag));
}

std::wstring imageIndexText(const std::wstring& line) {
    // <IMAGE INDEX="3"> → 3: everything up to the opening quote goes, then the closing quote
    // with its ">".
    std::wstring rest = line;
    const std::size_t marker = findIgnoreCase(rest, L"<IMAGE INDEX=");
    rest = rest.substr(marker + 13);
    if (!rest.empty() && rest[0] == L'"') rest.erase(0, 1);
    rest = removeAllIgnoreCase(rest, L"\">");
    return trimSpaces(rest);
}

enum class ReadState { None, Creation, Modification, Languages };

void setTimeHalf(ImageRecord& record, ReadState state, bool high, std::uint32_t value) {
    std::uint64_t* time = state == ReadState::Creation       ? &record.CreationTime
                          : state == ReadState::Modification ? &record.LastModificationTime
                                                             : nullptr;
    if (!time) return;
    if (high) {
        *time = (*time & 0xFFFFFFFFull) | (static_cast<std::uint64_t>(value) << 32);
    } else {
        *time = (*time & 0xFFFFFFFF00000000ull) | value;
    }
}

// What a line is about: the first of these markers, in this order, found anywhere in it
// (letter case ignored) decides.
enum class Marker {
    ImageIndex,
    Name,
    TotalBytes,
    CreationStart,
    CreationEnd,
    ModificationStart,
    ModificationEnd,
    HighPart,
    LowPart,
    WimBoot,
    Arch,
    ProductName,
    LanguagesStart,
    Default,
    LanguagesEnd,
    Major,
    Minor,
    Build,
    SpBuild,
    Description,
    DisplayName,
    DisplayDescription,
    ImageEnd,
    None
};

constexpr std::wstring_view kMarkers[] = {L"<IMAGE INDEX=",
                                          L"<NAME>",
                                          L"<TOTALBYTES>",
                                          L"<CREATIONTIME>",
                                          L"</CREATIONTIME>",
                                          L"<LASTMODIFICATIONTIME>",
                                          L"</LASTMODIFICATIONTIME>",
                                          L"<HIGHPART>",
                                          L"<LOWPART>",
                                          L"<WIMBOOT>",
                                          L"<ARCH>",
                                          L"<PRODUCTNAME>",
                                          L"<LANGUAGES>",
                                          L"<DEFAULT>",
                                          L"</LANGUAGES>",
                                          L"<MAJOR>",
                                          L"<MINOR>",
                                          L"<BUILD>",
                                          L"<SPBUILD>",
                                          L"<DESCRIPTION>",
                                          L"<DISPLAYNAME>",
                                          L"<DISPLAYDESCRIPTION>",
                                          L"</IMAGE>"};

wchar_t asciiUpperChar(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Whether `marker` (upper case) stands at `at` in `line`, letter case ignored.
bool markerAt(const std::wstring& line, std::size_t at, std::wstring_view marker) {
    if (line.size() - at < marker.size()) return false;
    for (std::size_t i = 0; i < marker.size(); ++i) {
        if (asciiUpperChar(line[at + i]) != marker[i]) return false;
    }
    return true;
}

// Every marker begins with "<", so only the places where one stands need looking at; this keeps
// reading a description of many images cheap.
Marker firstMarker(const std::wstring& line) {
    std::size_t best = std::size(kMarkers);
    for (std::size_t at = line.find(L'<'); at != std::wstring::npos; at = line.find(L'<', at + 1)) {
        for (std::size_t m = 0; m < best; ++m) {
            if (markerAt(line, at, kMarkers[m])) {
                best = m;
                break;
            }
        }
    }
    return static_cast<Marker>(best);
}

// Every occurrence of the ASCII text `needle` removed from `text`, letter case ignored.
std::wstring removeAllAsciiIgnoreCase(const std::wstring& text, const std::wstring& needle) {
    std::wstring upperNeedle = needle;
    for (wchar_t& c : upperNeedle) c = asciiUpperChar(c);
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (!upperNeedle.empty() && markerAt(text, i, upperNeedle)) {
            i += upperNeedle.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

}  // namespace

std::wstring tagValue(const std::wstring& line, const std::wstring& tag) {
    std::wstring value = removeAllAsciiIgnoreCase(line, L"<" + tag + L">");
    value = removeAllAsciiIgnoreCase(value, L"</" + tag + L">");
    return trimSpaces(value);
}

std::wstring decodeXmlEntities(const std::wstring& text) {
    static const std::pair<const wchar_t*, wchar_t> named[] = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t semicolon = text[i] == L'&' ? text.find(L';', i + 1) : std::wstring::npos;
        // References are short; a lone "&" far from any ";" stays as written.
        if (semicolon != std::wstring::npos && semicolon - i <= 12) {
            const std::wstring body = text.substr(i + 1, semicolon - i - 1);
            bool decoded = false;
            for (const auto& [name, c] : named) {
                if (body == name) {
                    out.push_back(c);
                    decoded = true;
                    break;
                }
            }
            if (!decoded) {
                if (const char32_t c = numericReference(body); c != 0) {
                    appendCodePoint(out, c);
                    decoded = true;
                }
            }
            if (decoded) {
                i = semicolon + 1;
                continue;
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

std::wstring oneElementPerLine(const std::wstring& text) {
    const std::wstring whole = text.substr(0, text.find(L'\0'));
    std::wstring out;
    out.reserve(whole.size() + whole.size() / 8);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        out.push_back(whole[i]);
        if (whole[i] == L'>' && i + 1 < whole.size() && whole[i + 1] == L'<') out += L"\r\n";
    }
    // The reader never looks at the last two pieces, which in the library's own text are the
    // root's end tag and what follows its final line break.
    const bool endsWithBreak = out.size() >= 2 && out.compare(out.size() - 2, 2, L"\r\n") == 0;
    if (!out.empty() && !endsWithBreak) out += L"\r\n";
    return out;
}

std::size_t countLineBreaks(const std::wstring& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) ++count;
    return count;
}

std::wstring archText(const std::wstring& value) {
    if (value == L"0") return L"x86";
    if (value == L"9") return L"x64";
    if (value == L"12") return L"ARM64";
    return value;
}

std::uint32_t fileTimeHalf(const std::wstring& value) {
    if (!startsWith(value, L"0x")) return static_cast<std::uint32_t>(parseLeadingInteger(value));
    std::uint32_t result = 0;
    for (std::size_t i = 2; i < value.size() && isHexDigit(value[i]); ++i) result = result * 16 + hexValue(value[i]);
    return result;
}

std::vector<std::wstring> imageRow(const ImageRecord& r, const FileTimeFormatter& formatTime) {
    return {std::to_wstring(r.Index),
            r.Name,
            r.Arch,
            std::to_wstring(r.WimBoot),
            r.DefaultLanguage,
            r.Major + L"." + r.Minor + L"." + r.Build + L"." + r.SpBuild,
            r.Description,
            r.DisplayName,
            r.DisplayDescription,
            std::to_wstring(r.TotalBytes),
            formatTime(r.CreationTime),
            formatTime(r.LastModificationTime)};
}

std::vector<std::vector<std::wstring>> readImageRows(const std::wstring& text, const FileTimeFormatter& formatTime) {
    std::vector<std::vector<std::wstring>> rows;
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    lines.push_back(text.substr(start));
    const std::size_t breaks = lines.size() - 1;

    ImageRecord record;
    std::int32_t currentImage = 0;
    ReadState state = ReadState::None;
    // Lines 2 to n - 1, counted from 1.
    for (std::size_t number = 2; number + 1 <= breaks; ++number) {
        const std::wstring& line = lines[number - 1];
        switch (firstMarker(line)) {
            case Marker::ImageIndex:
                record = ImageRecord{};
                record.Index = static_cast<std::int32_t>(parseLeadingInteger(imageIndexText(line)));
                currentImage = record.Index;
                break;
            case Marker::Name:
                record.Name = elementValue(line, L"NAME");
                break;
            case Marker::TotalBytes:
                // The file's own total stands before the first image.
                if (currentImage > 0) record.TotalBytes = parseLeadingInteger(tagValue(line, L"TOTALBYTES"));
                break;
            case Marker::CreationStart:
                state = ReadState::Creation;
                break;
            case Marker::CreationEnd:
                state = ReadState::None;
                break;
            case Marker::ModificationStart:
                state = ReadState::Modification;
                break;
            case Marker::ModificationEnd:
                state = ReadState::None;
                break;
            case Marker::HighPart:
                setTimeHalf(record, state, true, fileTimeHalf(tagValue(line, L"HIGHPART")));
                break;
            case Marker::LowPart:
                setTimeHalf(record, state, false, fileTimeHalf(tagValue(line, L"LOWPART")));
                break;
            case Marker::WimBoot:
                record.WimBoot = static_cast<std::int8_t>(parseLeadingInteger(tagValue(line, L"WIMBOOT")));
                break;
            case Marker::Arch:
                record.Arch = archText(elementValue(line, L"ARCH"));
                break;
            case Marker::ProductName:
                record.ProductName = elementValue(line, L"PRODUCTNAME");
                break;
            case Marker::LanguagesStart:
                state = ReadState::Languages;
                break;
            case Marker::Default:
                if (state == ReadState::Languages) record.DefaultLanguage = elementValue(line, L"DEFAULT");
                break;
            case Marker::LanguagesEnd:
                state = ReadState::None;
                break;
            case Marker::Major:
                record.Major = elementValue(line, L"MAJOR");
                break;
            case Marker::Minor:
                record.Minor = elementValue(line, L"MINOR");
                break;
            case Marker::Build:
                record.Build = elementValue(line, L"BUILD");
                break;
            case Marker::SpBuild:
                record.SpBuild = elementValue(line, L"SPBUILD");
                break;
            case Marker::Description:
                record.Description = elementValue(line, L"DESCRIPTION");
                break;
            case Marker::DisplayName:
                record.DisplayName = elementValue(line, L"DISPLAYNAME");
                break;
            case Marker::DisplayDescription:
                record.DisplayDescription = elementValue(line, L"DISPLAYDESCRIPTION");
                break;
            case Marker::ImageEnd:
                if (record.Name.empty()) record.Name = record.ProductName;
                if (record.Description.empty()) record.Description = record.Name;
                rows.push_back(imageRow(record, formatTime));
                currentImage = 0;
                break;
            case Marker::None:
                break;
        }
    }
    return rows;
}

}  // namespace halvora
