// Split image sets: the names of the parts, and which part stops an installation and why.

#include <gtest/gtest.h>

#include "images/split_set.hpp"

namespace halvora {
namespace {

TEST(SplitParts, LaterPartsCarryTheirNumberBeforeTheExtension) {
    EXPECT_EQ(splitPartPath(L"D:\\sources\\install.swm", 2), L"D:\\sources\\install2.swm");
    EXPECT_EQ(splitPartPath(L"D:\\sources\\install.swm", 13), L"D:\\sources\\install13.swm");
    EXPECT_EQ(splitPartPath(L"D:\\a.b\\my.set.swm", 3), L"D:\\a.b\\my.set3.swm");
}

const std::wstring kPart = L"D:\\sources\\install2.swm";

WimInfo setOfThree() {
    WimInfo info;
    info.ImageCount = 2;
    info.PartNumber = 1;
    info.TotalParts = 3;
    info.Guid = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 1, 2, 3, 4, 5, 6, 7, 8};
    return info;
}

// Part `number` of the set as the library describes it.
SplitPartReading partOf(const WimInfo& set, std::uint16_t number) {
    SplitPartReading part;
    part.size = 450000;
    part.read = true;
    part.info = set;
    part.info.PartNumber = number;
    part.info.ImageCount = 0;  // only the first part carries the images' metadata
    return part;
}

TEST(SplitParts, APartOfTheSetWithItsOwnNumberBelongs) {
    const WimInfo set = setOfThree();
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, partOf(set, 2)), L"");
    EXPECT_EQ(splitPartRefusal(set, 3, L"D:\\sources\\install3.swm", partOf(set, 3)), L"");
}

TEST(SplitParts, AMissingEmptyOrUnreadablePartIsNamedWithWhatIsWrong) {
    const WimInfo set = setOfThree();
    SplitPartReading part;
    part.size = -1;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, part), L"분할 파일을 찾을 수 없습니다: D:\\sources\\install2.swm");
    part.size = 0;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, part), L"빈 파일 입니다: D:\\sources\\install2.swm");
    part.size = 100;
    part.error = 13;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, part),
              L"이미지 파일이 아니거나 손상된 파일 입니다. (에러 코드: 13) D:\\sources\\install2.swm");
    part.error = 0;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, part),
              L"이미지 파일이 아니거나 손상된 파일 입니다. D:\\sources\\install2.swm")
        << "a part the library could not read is refused also when it gave no code";
}

TEST(SplitParts, APartOfAnotherSetOrAnotherSplitOrNumberDoesNotBelong) {
    const WimInfo set = setOfThree();
    const std::wstring mismatch = L"분할 파일이 맞지 않습니다: D:\\sources\\install2.swm";

    SplitPartReading other = partOf(set, 2);
    other.info.Guid[15] ^= 1;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, other), mismatch) << "another set's part 2";

    SplitPartReading otherSplit = partOf(set, 2);
    otherSplit.info.TotalParts = 2;
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, otherSplit), mismatch) << "the same image split into two parts";

    EXPECT_EQ(splitPartRefusal(set, 2, kPart, partOf(set, 3)), mismatch) << "part 3 under part 2's name";
    EXPECT_EQ(splitPartRefusal(set, 2, kPart, partOf(set, 1)), mismatch) << "the first part copied";
}

}  // namespace
}  // namespace halvora
