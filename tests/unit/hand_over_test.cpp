#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/single_instance.hpp"

namespace halvora {
namespace {

TEST(HandOver, EveryArgumentIsFollowedByABar) {
    EXPECT_EQ(handOverText({L"/Index:2", L"/after:Reboot"}), L"/Index:2|/after:Reboot|");
    EXPECT_EQ(handOverText({L"D:\\my images\\install.wim"}), L"D:\\my images\\install.wim|");
    EXPECT_EQ(handOverText({}), L"");
}

TEST(HandOver, PayloadIsUtf16WithTheTerminatorCounted) {
    const std::string payload = handOverPayload(L"/d|");
    ASSERT_EQ(payload.size(), 8u);  // three characters and the NUL, two bytes each
    EXPECT_EQ(payload, std::string("/\0d\0|\0\0\0", 8));
    EXPECT_EQ(readHandOver(payload.data(), static_cast<std::uint32_t>(payload.size())), L"/d|");
}

TEST(HandOver, KoreanTextSurvivesTheTrip) {
    const std::wstring text = L"/ImageFile:D:\\설치\\install.wim|";
    const std::string payload = handOverPayload(text);
    EXPECT_EQ(readHandOver(payload.data(), static_cast<std::uint32_t>(payload.size())), text);
}

TEST(HandOver, ReadsOnlyHalfOfTheByteCountAndStopsAtNul) {
    // cbData counts bytes: reading cbData characters would run past the buffer.
    std::string payload = handOverPayload(L"/Log|");
    payload += std::string("G\0A\0R\0B\0", 8);  // beyond the NUL: not part of the text
    EXPECT_EQ(readHandOver(payload.data(), static_cast<std::uint32_t>(payload.size())), L"/Log|");
    EXPECT_EQ(readHandOver(payload.data(), 4), L"/L");  // a shorter claim is honoured, no terminator needed
}

TEST(HandOver, RefusesNullOddAndAbsurdSizes) {
    const std::string payload = handOverPayload(L"/d|");
    EXPECT_FALSE(readHandOver(nullptr, 8).has_value());
    EXPECT_FALSE(readHandOver(payload.data(), 7).has_value());
    std::vector<char> huge(kMaxHandOverBytes + 2, 'a');
    EXPECT_FALSE(readHandOver(huge.data(), static_cast<std::uint32_t>(huge.size())).has_value());
    // The largest size taken is the limit itself: its text runs to the end.
    const auto longest = readHandOver(huge.data(), kMaxHandOverBytes);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->size(), kMaxHandOverBytes / 2);
    EXPECT_EQ(readHandOver(payload.data(), 0), L"");
}

}  // namespace
}  // namespace halvora
