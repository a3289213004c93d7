#include "app/command_line.hpp"

#include <gtest/gtest.h>

namespace halvora {
namespace {

TEST(CommandLine, UsageExampleSetsEverything) {
    const auto p = parseArguments(L"/ImageFile:Sample.wim|/Index:1|/ApplyDrv:C:|/after:Finish|/Compact|/d|");
    EXPECT_EQ(p.imageFile, L"Sample.wim");
    EXPECT_TRUE(p.hasIndex);
    EXPECT_EQ(p.index, 0);
    EXPECT_EQ(p.applyDrives, std::vector<std::wstring>{L"C:"});
    EXPECT_EQ(p.afterChoice, 2);
    EXPECT_TRUE(p.compact);
    EXPECT_TRUE(p.keepBootEntries);
    EXPECT_FALSE(p.applyStart || p.verify || p.check || p.log);
}

TEST(CommandLine, OptionsIgnoreCaseAndSurroundingBlanks) {
    const auto p = parseArguments(L"  /VERIFY |/check|/LoG|/applystart|/after:REBOOT|");
    EXPECT_TRUE(p.verify && p.check && p.log && p.applyStart);
    EXPECT_EQ(p.afterChoice, 1);
    EXPECT_EQ(parseArguments(L"/after:later|").afterChoice, 3);
    EXPECT_EQ(parseArguments(L"/after:shutdown").afterChoice, 0);
    EXPECT_EQ(parseArguments(L"/d").afterChoice, -1);
}

TEST(CommandLine, DrivesAreUpperCasedAndCut) {
    EXPECT_EQ(parseArguments(L"/ApplyDrv:c:\\|").applyDrives, std::vector<std::wstring>{L"C:"});
    // Each one is kept, in order: the window selects them in turn.
    EXPECT_EQ(parseArguments(L"/ApplyDrv:E:|/d|/ApplyDrv:z:|").applyDrives, (std::vector<std::wstring>{L"E:", L"Z:"}));
    EXPECT_TRUE(parseArguments(L"/d|").applyDrives.empty());
    EXPECT_EQ(parseArguments(L"/bootdrv:e:|").bootDrive, L"E:");
    EXPECT_EQ(parseArguments(L"/BootDrv:-|").bootDrive, L"-");
    EXPECT_EQ(parseArguments(L"/BootDrv:*|").bootDrive, L"*");
}

TEST(CommandLine, IndexThatIsNotANumberGivesMinusOne) {
    EXPECT_EQ(parseArguments(L"/Index:x|").index, -1);
    EXPECT_EQ(parseArguments(L"/Index:3|").index, 2);
    EXPECT_EQ(parseArguments(L"/Index:2147483647|").index, 2147483646);
    // Too large for an int: not a wrapped value that picks some other image.
    EXPECT_EQ(parseArguments(L"/Index:2147483648|").index, -1);
    EXPECT_EQ(parseArguments(L"/Index:4294967298|").index, -1);
    EXPECT_EQ(parseArguments(L"/Index:99999999999999999999999|").index, -1);
    EXPECT_EQ(parseArguments(L"/Index:-2147483648|").index, -1);
}

TEST(CommandLine, BareArgumentIsTheImageOnlyWithoutImageFile) {
    EXPECT_EQ(parseArguments(L"D:\\sources\\install.wim|").imageFile, L"D:\\sources\\install.wim");
    EXPECT_EQ(parseArguments(L"a.wim|b.wim|").imageFile, L"b.wim");
    EXPECT_EQ(parseArguments(L"bare.wim|/ImageFile:real.wim|").imageFile, L"real.wim");
    EXPECT_EQ(parseArguments(L"x|").imageFile, L"");     // one character is not a path
    EXPECT_EQ(parseArguments(L"ab|").imageFile, L"ab");  // two are: a file in the current folder
    EXPECT_EQ(parseArguments(L"ab|x|").imageFile, L"ab");
}

TEST(CommandLine, PrefixAnywhereInTheFieldIsRemovedEverywhere) {
    EXPECT_EQ(parseArguments(L"/XmlFile:D:\\a.xml|").xmlFile, L"D:\\a.xml");
    EXPECT_EQ(parseArguments(L"/oempath:-|").oemPath, L"-");
    // The first prefix of the list that occurs wins, and all its occurrences go.
    EXPECT_EQ(parseArguments(L"x/ImageFile:y/imagefile:z|").imageFile, L"xyz");
}

}  // namespace
}  // namespace halvora
