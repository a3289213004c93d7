#include <gtest/gtest.h>

#include "base/utf.hpp"
#include "images/image_list.hpp"
#include "images/image_xml.hpp"

namespace halvora {
namespace {

// A stand-in formatter that shows which FILETIME reached it.
std::wstring hexTime(std::uint64_t t) {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"%llX", static_cast<unsigned long long>(t));
    return buffer;
}

// Two images as the imaging library stores them: compact, one line, BOM first.
const std::wstring kCompact =
    L"\uFEFF<WIM><TOTALBYTES>987654</TOTALBYTES>"
    L"<IMAGE INDEX=\"1\"><DIRCOUNT>10</DIRCOUNT><TOTALBYTES>1000</TOTALBYTES>"
    L"<CREATIONTIME><HIGHPART>0x01DAA07C</HIGHPART><LOWPART>0x3B2B9E00</LOWPART></CREATIONTIME>"
    L"<LASTMODIFICATIONTIME><HIGHPART>0x01DAA07D</HIGHPART><LOWPART>0x00000010</LOWPART></LASTMODIFICATIONTIME>"
    L"<WINDOWS><ARCH>9</ARCH><PRODUCTNAME>Microsoft® Windows® Operating System</PRODUCTNAME>"
    L"<LANGUAGES><LANGUAGE>ko-KR</LANGUAGE><DEFAULT>ko-KR</DEFAULT></LANGUAGES>"
    L"<VERSION><MAJOR>10</MAJOR><MINOR>0</MINOR><BUILD>19041</BUILD><SPBUILD>1</SPBUILD></VERSION></WINDOWS>"
    L"<NAME>Windows 10 Home &amp; Office</NAME><DESCRIPTION>Windows 10 &#xD648;</DESCRIPTION>"
    L"<DISPLAYNAME>Windows 10 홈</DISPLAYNAME><DISPLAYDESCRIPTION>&lt;홈&gt;</DISPLAYDESCRIPTION></IMAGE>"
    L"<IMAGE INDEX=\"2\"><TOTALBYTES>2000</TOTALBYTES><WIMBOOT>1</WIMBOOT>"
    L"<WINDOWS><ARCH>12</ARCH><PRODUCTNAME>Product</PRODUCTNAME></WINDOWS></IMAGE></WIM>";

TEST(ImageXml, CompactAndOneElementPerLineFormsGiveTheSameRows) {
    const std::wstring spread = oneElementPerLine(kCompact);
    // The form the library hands out on Windows: every element on its own line, CR LF after each.
    std::wstring byLine;
    for (std::size_t i = 0; i < kCompact.size(); ++i) {
        byLine.push_back(kCompact[i]);
        if (kCompact[i] == L'>' && (i + 1 == kCompact.size() || kCompact[i + 1] == L'<')) byLine += L"\r\n";
    }
    EXPECT_EQ(oneElementPerLine(byLine), byLine) << "text already one element per line is left alone";
    EXPECT_EQ(spread, byLine);

    const auto rows = readImageRows(spread, hexTime);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows, readImageRows(oneElementPerLine(byLine), hexTime));
    const std::vector<std::wstring> first = {L"1",
                                             L"Windows 10 Home & Office",
                                             L"x64",
                                             L"0",
                                             L"ko-KR",
                                             L"10.0.19041.1",
                                             L"Windows 10 홈",
                                             L"Windows 10 홈",
                                             L"<홈>",
                                             L"1000",
                                             L"1DAA07C3B2B9E00",
                                             L"1DAA07D00000010"};
    EXPECT_EQ(rows[0], first);
    // No NAME: the product name stands in, and for the description too; empty version parts
    // keep their dots; the file-wide TOTALBYTES before the first image sets no row's size.
    const std::vector<std::wstring> second = {L"2",       L"Product", L"ARM64", L"1",    L"",  L"...",
                                              L"Product", L"",        L"",      L"2000", L"0", L"0"};
    EXPECT_EQ(rows[1], second);
}

TEST(ImageXml, TheFirstLineAndTheLastTwoPiecesAreNotRead) {
    // Without the line break after the root's end tag the last image's end would be lost; the
    // spreading adds it.
    const std::wstring text = L"<WIM>\r\n<IMAGE INDEX=\"4\">\r\n<NAME>A</NAME>\r\n</IMAGE>\r\n</WIM>";
    EXPECT_TRUE(readImageRows(text, hexTime).empty());
    const auto rows = readImageRows(oneElementPerLine(text), hexTime);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"4");
    EXPECT_EQ(countLineBreaks(oneElementPerLine(text)), 5u);
    // A start tag on the first line is never seen: its image ends up without a number.
    const auto unnumbered = readImageRows(L"<IMAGE INDEX=\"1\">\r\n<NAME>A</NAME>\r\n</IMAGE>\r\n</WIM>\r\n", hexTime);
    ASSERT_EQ(unnumbered.size(), 1u);
    EXPECT_EQ(unnumbered[0][0], L"0");
    EXPECT_EQ(unnumbered[0][1], L"A");
}

TEST(ImageXml, ElementsOutsideTheirParentsAreIgnored) {
    const std::wstring text = oneElementPerLine(
        L"<WIM><IMAGE INDEX=\"7\"><DEFAULT>en-US</DEFAULT><HIGHPART>0x1</HIGHPART>"
        L"<LANGUAGES><DEFAULT>ko-KR</DEFAULT></LANGUAGES><DEFAULT>de-DE</DEFAULT>"
        L"<CREATIONTIME><HIGHPART>0X1F</HIGHPART><LOWPART>25</LOWPART></CREATIONTIME><LOWPART>0x9</LOWPART>"
        L"<ARCH>5</ARCH><arch>0</arch></IMAGE></WIM>");
    const auto rows = readImageRows(text, hexTime);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], L"ko-KR");
    EXPECT_EQ(rows[0][10], L"19") << "0X reads as 0, a plain number as decimal";
    EXPECT_EQ(rows[0][11], L"0");
    EXPECT_EQ(rows[0][2], L"x86") << "markers ignore case; the last ARCH wins";
    // A new image starts from an empty record.
    const auto two =
        readImageRows(oneElementPerLine(L"<WIM><IMAGE INDEX=\"1\"><NAME>A</NAME><WIMBOOT>1</WIMBOOT></IMAGE>"
                                        L"<IMAGE INDEX=\"2\"></IMAGE></WIM>"),
                      hexTime);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1][1], L"");
    EXPECT_EQ(two[1][3], L"0");
}

TEST(ImageXml, TagValueRemovesTagsOfAnyCaseAndTrimsSpacesOnly) {
    EXPECT_EQ(tagValue(L"  <NAME> Pro  </name>  ", L"NAME"), L"Pro");
    EXPECT_EQ(tagValue(L"<NAME>\tPro\t</NAME>", L"NAME"), L"\tPro\t");
    EXPECT_EQ(tagValue(L"<NAME>a &amp; b</NAME>", L"NAME"), L"a &amp; b");
    EXPECT_EQ(tagValue(L"<DISPLAYNAME>x</DISPLAYNAME>", L"NAME"), L"<DISPLAYNAME>x</DISPLAYNAME>");
}

TEST(ImageXml, EntitiesAndCharacterReferencesAreDecodedOnlyWhenWellFormed) {
    EXPECT_EQ(decodeXmlEntities(L"&lt;&gt;&amp;&quot;&apos;"), L"<>&\"'");
    EXPECT_EQ(decodeXmlEntities(L"&#54620;&#xAD6D;&#X41;"), L"한국A");
    EXPECT_EQ(decodeXmlEntities(L"&amp;amp;"), L"&amp;") << "decoded once";
    for (const std::wstring raw :
         {L"a & b", L"&nbsp;", L"&#;", L"&#x;", L"&#xD800;", L"&#1114112;", L"&#12a;", L"&", L"&amp"}) {
        EXPECT_EQ(decodeXmlEntities(raw), raw);
    }
    std::wstring astral;
    if constexpr (sizeof(wchar_t) == 2)
        astral = L"\xD83D\xDE00";
    else
        astral = std::wstring(1, static_cast<wchar_t>(0x1F600));
    EXPECT_EQ(decodeXmlEntities(L"&#x1F600;"), astral);
}

// The edges of what a numeric reference may be: eleven characters between "&" and ";" at most
// (leading zeros count), the last code point of Unicode and nothing above it, and none of the
// surrogates from D800 to DFFF.
TEST(ImageXml, NumericReferencesAtTheirLimits) {
    EXPECT_EQ(decodeXmlEntities(L"&#x000000041;"), L"A");
    EXPECT_EQ(decodeXmlEntities(L"&#0000000065;"), L"A");
    EXPECT_EQ(decodeXmlEntities(L"&#x0000000041;"), L"&#x0000000041;");
    EXPECT_EQ(decodeXmlEntities(L"&#00000000065;"), L"&#00000000065;");
    EXPECT_EQ(toUtf8(decodeXmlEntities(L"&#x10FFFF;")), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(toUtf8(decodeXmlEntities(L"&#1114111;")), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(decodeXmlEntities(L"&#x110000;"), L"&#x110000;");
    EXPECT_EQ(decodeXmlEntities(L"&#xD7FF;"), std::wstring(1, static_cast<wchar_t>(0xD7FF)));
    EXPECT_EQ(decodeXmlEntities(L"&#xDFFF;"), L"&#xDFFF;");
    EXPECT_EQ(decodeXmlEntities(L"&#xDBFF;"), L"&#xDBFF;");
    EXPECT_EQ(decodeXmlEntities(L"&#xE000;"), std::wstring(1, static_cast<wchar_t>(0xE000)));
}

// Six line breaks are the fewest an information text that lists an image has; a file without
// images gives fewer.
TEST(ImageXml, AnInformationTextNeedsMoreThanFiveLineBreaksToListImages) {
    EXPECT_FALSE(informationListsImages(L""));
    EXPECT_FALSE(informationListsImages(oneElementPerLine(L"<WIM><TOTALBYTES>0</TOTALBYTES></WIM>")));
    EXPECT_FALSE(informationListsImages(L"<WIM>\r\n<A/>\r\n<B/>\r\n<C/>\r\n<D/>\r\n</WIM>"));
    EXPECT_TRUE(informationListsImages(L"<WIM>\r\n<A/>\r\n<B/>\r\n<C/>\r\n<D/>\r\n<E/>\r\n</WIM>"));
}

TEST(ImageXml, TextIsTakenUpToItsFirstNul) {
    std::wstring text = L"<A><B>x</B></A>";
    text.push_back(L'\0');
    text += L"<C>";
    EXPECT_EQ(oneElementPerLine(text), L"<A>\r\n<B>x</B>\r\n</A>\r\n");
    EXPECT_EQ(oneElementPerLine(L""), L"");
}

TEST(ImageXml, ArchitectureNames) {
    EXPECT_EQ(archText(L"0"), L"x86");
    EXPECT_EQ(archText(L"9"), L"x64");
    EXPECT_EQ(archText(L"12"), L"ARM64");
    EXPECT_EQ(archText(L"5"), L"5");
    EXPECT_EQ(archText(L""), L"");
}

}  // namespace
}  // namespace halvora
