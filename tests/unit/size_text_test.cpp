#include "disks/size_text.hpp"

#include <gtest/gtest.h>

namespace halvora {
namespace {

TEST(SizeText, CutsToTwoDecimalsBelowAHundredUnitsAndToWholeUnitsFromThere) {
    EXPECT_EQ(sizeText(0), L"0 B");
    EXPECT_EQ(sizeText(1000), L"1000 B");
    EXPECT_EQ(sizeText(1023), L"1023 B");
    EXPECT_EQ(sizeText(1024), L"1.00 KB");
    EXPECT_EQ(sizeText(1536), L"1.50 KB");
    EXPECT_EQ(sizeText(999 * 1024 + 1023), L"999 KB");
    EXPECT_EQ(sizeText(10500000), L"10.01 MB");
    EXPECT_EQ(sizeText(1073741823), L"1023 MB");  // never rounded up into the next unit
    EXPECT_EQ(sizeText(500107862016), L"465 GB");
    EXPECT_EQ(sizeText(2047), L"1.99 KB");  // 1.999..., cut, not rounded
    EXPECT_EQ(sizeText(5LL << 50), L"5.00 PB");
    EXPECT_EQ(sizeText(3000LL << 50), L"3000 PB");  // nothing beyond PB
}

}  // namespace
}  // namespace halvora
