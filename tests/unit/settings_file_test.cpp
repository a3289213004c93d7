#include "ui/settings_file.hpp"

#include <gtest/gtest.h>

#include "app/settings.hpp"
#include "file_lines.hpp"
#include "ui/interface_font.hpp"

namespace halvora {
namespace {

TEST(SettingsFile, WritesBomCrlfGroupsAndAnEmptyLineAfterEachGroup) {
    SettingsFile file;
    file.set(L"HLV_XSET", L"Version", L"0.7");
    file.set(L"HLV_XSET", L"ScanDepth", L"2");
    file.set(L"DefineFontSize", L"맑은 고딕", L"-12");
    EXPECT_EQ(file.serialize(),
              "\xEF\xBB\xBF[HLV_XSET]\r\nVersion=0.7\r\nScanDepth=2\r\n\r\n[DefineFontSize]\r\n"
              "\xEB\xA7\x91\xEC\x9D\x80 \xEA\xB3\xA0\xEB\x94\x95=-12\r\n\r\n");
}

TEST(SettingsFile, ReadsLfFilesWithoutBomAndTrimsValues) {
    const auto parsed = SettingsFile::parse("[HLV_XSET]\nScanDepth = \t3\t \nuseUserFontName=  D2Coding\n");
    ASSERT_TRUE(parsed);
    const SettingsFile& file = *parsed;
    EXPECT_EQ(file.value(L"HLV_XSET", L"ScanDepth"), L"3");
    EXPECT_EQ(file.value(L"hlv_xset", L"usEUserFontName"), L"D2Coding");
    EXPECT_FALSE(file.value(L"HLV_XSET", L"Version").has_value());
    EXPECT_FALSE(file.value(L"Other", L"ScanDepth").has_value());
}

TEST(SettingsFile, KeepsOrderUnknownGroupsAndForeignLinesOnRewrite) {
    const std::string original =
        "\xEF\xBB\xBF; written by hand\r\n[Mine]\r\nfoo=bar\r\ngarbage line\r\n\r\n[HLV_XSET]\r\nB=2\r\nA=1\r\n\r\n";
    auto parsed = SettingsFile::parse(original);
    ASSERT_TRUE(parsed);
    SettingsFile& file = *parsed;
    EXPECT_EQ(file.serialize(), original);
    file.set(L"HLV_XSET", L"A", L"5");
    file.set(L"HLV_XSET", L"C", L"3");
    file.set(L"New", L"k", L"v");
    EXPECT_EQ(file.serialize(),
              "\xEF\xBB\xBF; written by hand\r\n[Mine]\r\nfoo=bar\r\ngarbage "
              "line\r\n\r\n[HLV_XSET]\r\nB=2\r\nA=5\r\nC=3\r\n\r\n"
              "[New]\r\nk=v\r\n\r\n");
}

using halvora::testing::linesOf;

TEST(SettingsFile, AWrittenBackFileKeepsEveryLineByteForByteAndOnlyAddsWhatWasMissing) {
    // Blanks around "=", odd letter case, a group twice, a comment, a line without "=", LF and
    // CRLF mixed, no BOM and no end on the last line: all of it is the user's and stays.
    const std::string original =
        "; mine\n[hlv_xset]\r\nScanDepth = 3  \nkey without value\n\n[Other]\nx=1\n[HLV_XSET]\nVersion=0.6\n"
        "[HLV_COLOR]\r\nLabelTitleColorF=1,2,3";
    auto parsed = SettingsFile::parse(original);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->value(L"HLV_XSET", L"ScanDepth"), L"3");
    EXPECT_EQ(parsed->value(L"HLV_XSET", L"Version"), L"0.6");  // from the group's second appearance
    parsed->set(L"HLV_XSET", L"ScanWithISO", L"0");
    parsed->set(L"HLV_COLOR", L"LabelTitleColorB", L"-1");
    parsed->set(L"SearchDirExclusionList", L"Windows", L"1");
    const std::string written = parsed->serialize();

    const auto before = linesOf(original);
    const auto after = linesOf(written);
    std::size_t next = 0;
    for (const std::string& line : before) {
        // The last line had no end; it gets one, the bytes before it stay.
        const std::string kept = line.back() == '\n' ? line : line + "\n";
        while (next < after.size() && after[next] != kept) ++next;
        ASSERT_LT(next, after.size()) << "lost: " << line;
        ++next;
    }
    EXPECT_NE(written.find("Version=0.6\nScanWithISO=0\n"), std::string::npos);  // after the group's last line
    EXPECT_NE(written.find("LabelTitleColorF=1,2,3\nLabelTitleColorB=-1\n"), std::string::npos);
    EXPECT_NE(written.find("\n\n[SearchDirExclusionList]\nWindows=1\n\n"), std::string::npos);
    // Read again, everything is where it was.
    auto again = SettingsFile::parse(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->value(L"HLV_XSET", L"ScanWithISO"), L"0");
    EXPECT_EQ(again->serialize(), written);
}

TEST(SettingsFile, SettingAKeyChangesOnlyTheValueAfterItsEqualsSign) {
    auto parsed = SettingsFile::parse("\xEF\xBB\xBF[HLV_XSET]\r\n  ScanDepth =  3\r\n");
    ASSERT_TRUE(parsed);
    parsed->set(L"HLV_XSET", L"scandepth", L"4");
    EXPECT_EQ(parsed->serialize(), "\xEF\xBB\xBF[HLV_XSET]\r\n  ScanDepth =4\r\n");
}

TEST(SettingsFile, RefusesFilesItCouldNotWriteBackUnchanged) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_FALSE(SettingsFile::parse(binary));
    EXPECT_FALSE(SettingsFile::parse("[HLV_XSET]\r\nScanDepth=\xC3\r\n"));              // invalid UTF-8
    EXPECT_FALSE(SettingsFile::parse(std::string("\xFF\xFE[\0H\0]\0", 8)));             // UTF-16
    EXPECT_FALSE(SettingsFile::parse("[HLV_XSET]\rScanDepth=3\r"));                     // CR-only line ends
    EXPECT_FALSE(SettingsFile::parse(std::string("[HLV_XSET]\nScanDepth=3\0\n", 23)));  // a NUL
    // Text in any script and a lone LF line end are fine; an empty file is written as a new one.
    EXPECT_TRUE(SettingsFile::parse("[글꼴]\n맑은 고딕=-12\n\tindented=1\n"));
    const auto empty = SettingsFile::parse("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->serialize(), "\xEF\xBB\xBF");
}

TEST(SettingsColours, ParsesThreeChannelsOrMinusOneAndFallsBack) {
    EXPECT_EQ(parseColour(L"10,20,30", L"150, 215, 115"), 10 + 256 * 20 + 65536 * 30);
    EXPECT_EQ(parseColour(L"10,20", L"150, 215, 115"), 150 + 256 * 215 + 65536 * 115);
    // "-1" has no commas, so it is taken only where the default itself is "-1".
    EXPECT_EQ(parseColour(L" -1 ", L"-1"), -1);
    EXPECT_EQ(parseColour(L"-1", L"150, 215, 115"), 150 + 256 * 215 + 65536 * 115);
    // Each channel keeps its low 8 bits; leading blanks are allowed, garbage reads as 0.
    EXPECT_EQ(parseColour(L"256, 257,  x", L"-1"), 0 + 256 * 1 + 0);
    EXPECT_EQ(parseColour(L"1,2,3,4", L"5, 6, 7"), 5 + 256 * 6 + 65536 * 7);
}

TEST(SettingsColours, ColourTextRoundTrips) {
    EXPECT_EQ(colourText(-1), L"-1");
    EXPECT_EQ(colourText(150 + 256 * 215 + 65536 * 115), L"150, 215, 115");
    EXPECT_EQ(parseColour(colourText(0x00C0FFEE & 0xFFFFFF), L"-1"), 0x00C0FFEE & 0xFFFFFF);
}

TEST(SettingsFontSizes, BuiltInTableIgnoresLetterCaseOnly) {
    EXPECT_EQ(builtInFontSize(L"GulimChe"), -10);
    EXPECT_EQ(builtInFontSize(L"나눔고딕코딩"), -10);
    EXPECT_EQ(builtInFontSize(L"Consolas"), -11);
    EXPECT_EQ(builtInFontSize(L"맑은 고딕"), -12);
    EXPECT_EQ(builtInFontSize(L"MS Shell dlg"), -13);
    // The stock dialog font spells itself "MS Shell Dlg"; names compare as Windows compares them.
    EXPECT_EQ(builtInFontSize(L"MS Shell Dlg"), -13);
    EXPECT_EQ(builtInFontSize(L"consolas"), -11);
    EXPECT_EQ(builtInFontSize(L"Consolas Nova"), 0);
    // Every seeded entry agrees with the built-in table, so a fresh file changes nothing.
    for (const auto& entry : seededFontSizes()) EXPECT_EQ(builtInFontSize(entry.font), entry.size);
}

}  // namespace
}  // namespace halvora
