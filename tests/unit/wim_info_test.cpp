#include <gtest/gtest.h>

#include "images/file_time.hpp"
#include "images/image_list.hpp"
#include "images/wim_info.hpp"

namespace halvora {
namespace {

void put32(WimInfoBytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(WimInfo, FieldsAreReadFromThePublishedLayout) {
    WimInfoBytes bytes{};
    bytes.fill(0xEE);  // the path must not leak into the fields
    for (std::uint8_t i = 0; i < 16; ++i) bytes[520 + i] = static_cast<std::uint8_t>(0xA0 + i);
    put32(bytes, 536, 11);
    put32(bytes, 540, 3);
    put32(bytes, 544, 0x00040002);  // part 2 of 4
    put32(bytes, 548, 2);
    put32(bytes, 552, 0x14);
    const WimInfo info = decodeWimInfo(bytes);
    EXPECT_EQ(info.ImageCount, 11u);
    EXPECT_EQ(info.CompressionType, 3u);
    EXPECT_EQ(info.PartNumber, 2);
    EXPECT_EQ(info.TotalParts, 4);
    EXPECT_EQ(info.BootIndex, 2u);
    EXPECT_EQ(info.WimAttributes, 0x14u);
    const WimGuid guid = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                          0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF};
    EXPECT_EQ(info.Guid, guid);
}

TEST(WimInfo, AttributeNamesAndSummary) {
    EXPECT_EQ(attributeNames(0), L"");
    EXPECT_EQ(attributeNames(0x3F), L" RESOURCE METADATA VERIFYY RP_FIX SPANNED READONLY");
    EXPECT_EQ(attributeNames(0x40 | 0x04), L" VERIFYY");

    WimInfo info{3, 2, 1, 1, 0, 0x4};
    EXPECT_EQ(imageFileSummary(info), L"ImageCount: 3  TotalParts: 1  속성: 0x4 VERIFYY  압축방식: LZX");
    info = {11, 3, 1, 2, 2, 0x10};
    EXPECT_EQ(imageFileSummary(info),
              L"ImageCount: 11  TotalParts: 2  속성: 0x10 SPANNED  압축방식: LZMS  BootIndex: 2");
    info = {1, 0, 1, 1, 1, 0};  // the first image boots: named as any other
    EXPECT_EQ(imageFileSummary(info), L"ImageCount: 1  TotalParts: 1  속성: 0x0  압축방식: NONE  BootIndex: 1");
    info = {1, 7, 1, 1, 0, 0xAB0};
    EXPECT_EQ(imageFileSummary(info), L"ImageCount: 1  TotalParts: 1  속성: 0xAB0 SPANNED READONLY  압축방식: ");
}

TEST(WimInfo, FirstPartOfASplitSet) {
    EXPECT_EQ(firstPartPath(L"D:\\sources\\install3.swm", 3), L"D:\\sources\\install.swm");
    EXPECT_EQ(firstPartPath(L"D:\\sources\\install12.swm", 12), L"D:\\sources\\install.swm");
    EXPECT_EQ(firstPartPath(L"D:\\v1.2\\x2.swm", 2), L"D:\\v1.2\\x.swm");
    EXPECT_EQ(firstPartPath(L"D:\\a\\2.swm", 12), L"D:\\a\\.swm") << "a name shorter than the number";
}

TEST(FileTime, ConversionMatchesThePlatformsCalendar) {
    auto t = fileTimeToSystemTime(0);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::tie(t->year, t->month, t->day, t->hour, t->minute, t->dayOfWeek),
              std::make_tuple(std::uint16_t(1601), std::uint16_t(1), std::uint16_t(1), std::uint16_t(0),
                              std::uint16_t(0), std::uint16_t(1)));
    // 2024-05-07 13:45:30.250 UTC, a Tuesday.
    t = fileTimeToSystemTime(133595631302500000ull);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, 2024);
    EXPECT_EQ(t->month, 5);
    EXPECT_EQ(t->day, 7);
    EXPECT_EQ(t->hour, 13);
    EXPECT_EQ(t->minute, 45);
    EXPECT_EQ(t->second, 30);
    EXPECT_EQ(t->milliseconds, 250);
    EXPECT_EQ(t->dayOfWeek, 2);
    // 2000-02-29 (a leap day of a century year) and 2100-03-01 (2100 is no leap year).
    t = fileTimeToSystemTime(125962560000000000ull);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::make_tuple(t->year, t->month, t->day),
              std::make_tuple(std::uint16_t(2000), std::uint16_t(2), std::uint16_t(29)));
    t = fileTimeToSystemTime(157520160000000000ull);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::make_tuple(t->year, t->month, t->day),
              std::make_tuple(std::uint16_t(2100), std::uint16_t(3), std::uint16_t(1)));
    EXPECT_FALSE(fileTimeToSystemTime(0x8000000000000000ull));
    t = fileTimeToSystemTime(0x7FFFFFFFFFFFFFFFull);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, 30828);
}

TEST(ImageFileFilter, FollowsTheSupportFlags) {
    EXPECT_EQ(imageFileFilter(false, false), L"*.WIM; *.SWM|*.WIM;*.SWM|");
    EXPECT_EQ(imageFileFilter(true, false), L"*.WIM; *.SWM; *.ISO|*.WIM;*.SWM;*.ISO|");
    EXPECT_EQ(imageFileFilter(false, true), L"*.WIM; *.SWM; *.ESD|*.WIM;*.SWM;*.ESD|");
    EXPECT_EQ(imageFileFilter(true, true), L"*.WIM; *.SWM; *.ESD; *.ISO|*.WIM;*.SWM;*.ESD;*.ISO|");
}

}  // namespace
}  // namespace halvora
