// Pure pieces of the simulated boot tool: how a command line splits into words, how Bcdboot's
// arguments are read, and the store text it keeps.

#include <gtest/gtest.h>

#include "platform/sim/programs/sim_bcd_store.hpp"
#include "platform/sim/programs/sim_bcdboot_arguments.hpp"
#include "platform/sim/programs/sim_command_line.hpp"

namespace halvora::sim {
namespace {

using Words = std::vector<std::wstring>;

TEST(SimCommandLine, SplitsAsWindowsProgramsDo) {
    EXPECT_EQ(splitCommandLine(L"  Bcdboot.exe  D:\\Windows /s S:  "),
              (Words{L"Bcdboot.exe", L"D:\\Windows", L"/s", L"S:"}));
    // The program's name: quotes group, backslashes stay.
    EXPECT_EQ(splitCommandLine(L"\"C:\\Program Files\\x.exe\" a"), (Words{L"C:\\Program Files\\x.exe", L"a"}));
    // Arguments: backslashes count only before a quote.
    EXPECT_EQ(splitCommandLine(L"p \"a b\" c\\\\d e\\\"f \"g\\\\\" \"h\"\"i\""),
              (Words{L"p", L"a b", L"c\\\\d", L"e\"f", L"g\\", L"h\"i"}));
    EXPECT_EQ(splitCommandLine(L"   "), Words{});
}

TEST(SimBcdbootArguments, ReadsEveryOptionInAnyCaseAndOrder) {
    std::wstring problem;
    const auto a =
        parseBcdbootArguments({L"D:\\Windows", L"/D", L"/F", L"uefi", L"/S", L"s:", L"/l", L"ko-KR"}, problem);
    ASSERT_TRUE(a) << std::string(problem.begin(), problem.end());
    EXPECT_EQ(a->windowsFolder, L"D:\\Windows");
    EXPECT_EQ(a->locale, L"ko-KR");
    EXPECT_EQ(a->systemVolume, L'S');
    EXPECT_EQ(a->firmware, BootFirmware::Uefi);
    EXPECT_TRUE(a->keepDefault);

    const auto bare = parseBcdbootArguments({L"C:\\Windows", L"/s", L"e", L"/s", L"T:\\", L"/f", L"All"}, problem);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->systemVolume, L'T');  // the later one wins
    EXPECT_EQ(bare->firmware, BootFirmware::All);
    EXPECT_EQ(bare->locale, L"");
    EXPECT_FALSE(bare->keepDefault);
}

TEST(SimBcdbootArguments, RefusesWhatBcdbootRefuses) {
    const Words refused[] = {
        {},
        {L"/s", L"S:"},
        {L"D:\\Windows", L"/s"},
        {L"D:\\Windows", L"/l", L"/d"},
        {L"D:\\Windows", L"/s", L"SS:"},
        {L"D:\\Windows", L"/s", L"1:"},
        {L"D:\\Windows", L"/f", L"EFI"},
        {L"D:\\Windows", L"/v"},
    };
    for (const auto& words : refused) {
        std::wstring problem;
        EXPECT_FALSE(parseBcdbootArguments(words, problem)) << words.size();
        EXPECT_FALSE(problem.empty());
    }
}

TEST(SimBcdStore, ReadsBackWhatItWritesAndRefusesOtherText) {
    BcdStore store;
    const std::wstring first = addBootEntry(store, {L"", L"C:", L"\\Windows\\system32\\winload.efi", L"ko-KR"}, true);
    EXPECT_EQ(store.defaultEntry, first);  // /d on a new store: there is no default to keep
    addBootEntry(store, {L"", L"D:", L"\\Windows\\system32\\winload.efi", L"en-us"}, true);
    const auto back = parseBcdStore(bcdStoreText(store));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->entries.size(), 2u);
    EXPECT_EQ(back->defaultEntry, first);
    EXPECT_EQ(back->entries[1].device, L"D:");
    EXPECT_NE(back->entries[1].identifier, first);

    EXPECT_FALSE(parseBcdStore("regf binary hive"));
    EXPECT_FALSE(parseBcdStore(R"({"default": "", "entries": [{"device": "C:"}]})"));
}

}  // namespace
}  // namespace halvora::sim
