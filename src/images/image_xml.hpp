#pragma once
// Reading the imaging library's XML description of an image file into the rows of the image
// list. The reader works line by line, one element per line, as the library hands the text out;
// compact XML (all on one line, as many tools store it) is first put into that form.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace halvora {

// The metadata of one image, reset at each image's start and turned into a row at its end.
struct ImageRecord {
    std::int8_t WimBoot = 0;
    std::int32_t Index = 0;
    std::int64_t TotalBytes = 0;
    std::uint64_t CreationTime = 0;  // FILETIME: high half << 32 | low half
    std::uint64_t LastModificationTime = 0;
    std::wstring Name;
    std::wstring Arch;
    std::wstring ProductName;
    std::wstring Major, Minor, Build, SpBuild;
    std::wstring DefaultLanguage;
    std::wstring Description;
    std::wstring DisplayName;
    std::wstring DisplayDescription;
};

inline constexpr int kImageListColumnCount = 12;
// Columns other parts of the program read back.
inline constexpr int kImageColumnIndex = 0;
inline constexpr int kImageColumnWimBoot = 3;
inline constexpr int kImageColumnDescription = 6;
inline constexpr int kImageColumnBytes = 9;

// The line with every start tag "<tag>" and end tag "</tag>" of that name removed (any letter
// case), then spaces (not tabs) trimmed from both ends. Entities stay as written.
std::wstring tagValue(const std::wstring& line, const std::wstring& tag);

// The five predefined XML entities and numeric character references decoded; anything that is
// not a well-formed reference stays as written.
std::wstring decodeXmlEntities(const std::wstring& text);

// The text up to its first NUL, with a line break (CR LF) between every two adjacent elements
// ("><") and after the last one, so that compact XML and XML written one element per line read
// the same.
std::wstring oneElementPerLine(const std::wstring& text);

// Number of CR LF pairs in the text.
std::size_t countLineBreaks(const std::wstring& text);

// "x86" for 0, "x64" for 9, "ARM64" for 12, anything else as written.
std::wstring archText(const std::wstring& value);

// A FILETIME half as the XML writes it: "0x" + hexadecimal digits, or else a decimal number
// (so "0X1F" reads as 0).
std::uint32_t fileTimeHalf(const std::wstring& value);

// The twelve cells of an image's row, the times through `formatTime`.
using FileTimeFormatter = std::function<std::wstring(std::uint64_t fileTime)>;
std::vector<std::wstring> imageRow(const ImageRecord& record, const FileTimeFormatter& formatTime);

// The rows of every image in `text` (already one element per line, as oneElementPerLine gives
// it): lines 2 to n - 1 of the text split at CR LF, n being its number of line breaks.
std::vector<std::vector<std::wstring>> readImageRows(const std::wstring& text, const FileTimeFormatter& formatTime);

}  // namespace halvora
