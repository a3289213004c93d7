#include "ui/settings_file.hpp"

#include <gtest/gtest.h>

#include "app/settings.hpp"
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
    const auto file = SettingsFile::parse("[HLV_XSET]\nScanDepth = \t3\t \nuseUserFontName=  D2Coding\n");
    EXPECT_EQ(file.value(L"HLV_XSET", L"ScanDepth"), L"3");
    EXPECT_EQ(file.value(L"hlv_xset", L"usEUserFontName"), L"D2Coding");
    EXPECT_FALSE(file.value(L"HLV_XSET", L"Version").has_value());
    EXPECT_FALSE(file.value(L"Other", L"ScanDepth").has_value());
}

TEST(SettingsFile, KeepsOrderUnknownGroupsAndForeignLinesOnRewrite) {
    const std::string original =
        "\xEF\xBB\xBF; written by hand\r\n[Mine]\r\nfoo=bar\r\ngarbage line\r\n\r\n[HLV_XSET]\r\nB=2\r\nA=1\r\n\r\n";
    auto file = SettingsFile::parse(original);
    EXPECT_EQ(file.serialize(), original);
    file.set(L"HLV_XSET", L"A", L"5");
    file.set(L"HLV_XSET", L"C", L"3");
    file.set(L"New", L"k", L"v");
    EXPECT_EQ(file.serialize(),
              "\xEF\xBB\xBF; written by hand\r\n[Mine]\r\nfoo=bar\r\ngarbage line\r\n\r\n[HLV_XSET]\r\nB=2\r\nA=5\r\nC=3\r\n\r\n"
              "[New]\r\nk=v\r\n\r\n");
}

TEST(SettingsFile, SurvivesBinaryGarbage) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
    const auto file = SettingsFile::parse(junk);
    const auto again = SettingsFile::parse(file.serialize());
    EXPECT_EQ(again.serialize(), file.serialize());
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
