#include "base/text.hpp"
#include "base/utf.hpp"

#include <gtest/gtest.h>

namespace halvora {
namespace {

TEST(Text, Utf8RoundTripsHangulAndAstralCharacters) {
    const std::wstring text = L"설치 파일 ◾ⓘ \U0001F4BE";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf16(toUtf16(text)), text);
    EXPECT_EQ(toUtf16(L"\U0001F4BE").size(), 2u);
}

TEST(Text, BrokenUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xFF"
                       "b"),
              L"a\uFFFDb");
    EXPECT_EQ(fromUtf8("a\xE3\x81"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");          // an encoded surrogate is not text
    EXPECT_EQ(fromUtf8(std::string("\xC0\x80x", 3)), L"\uFFFD\uFFFDx");  // nor an overlong NUL
}

TEST(Text, LenientIntegersReadLikeThePlatform) {
    EXPECT_EQ(parseLeadingInteger(L"  42abc"), 42);
    EXPECT_EQ(parseLeadingInteger(L"-7"), -7);
    EXPECT_EQ(parseLeadingInteger(L"abc"), 0);
    EXPECT_EQ(parseLeadingInteger(L""), 0);
    EXPECT_GT(parseLeadingInteger(L"99999999999999999999999999"), 0);  // no overflow into negatives
}

TEST(Text, CaseInsensitiveSearchAndRemoval) {
    EXPECT_EQ(findIgnoreCase(L"ab/INDEX:2", L"/index:"), 2u);
    EXPECT_EQ(removeAllIgnoreCase(L"/Index:/INDEX:3", L"/index:"), L"3");
    EXPECT_TRUE(equalsIgnoreCase(L"/COMPACT", L"/Compact"));
    EXPECT_FALSE(equalsIgnoreCase(L"/Compac", L"/Compact"));
}

TEST(Text, SplitKeepsEmptyFields) {
    EXPECT_EQ(split(L"a||b", L'|'), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(split(L"", L'|'), (std::vector<std::wstring>{L""}));
}

}  // namespace
}  // namespace halvora
