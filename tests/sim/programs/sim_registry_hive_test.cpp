// The registry hive the boot tool starts a store from, and the hivex editing around it: a new
// hive opens with hivex and with its tools, takes keys and values, and gives them back as
// Windows stores them.

#include <gtest/gtest.h>

#include "hive_tools.hpp"
#include "platform/sim/programs/sim_empty_hive.hpp"
#include "platform/sim/programs/sim_registry_hive.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

TEST(SimRegistryHive, AnEmptyHiveOpensWithHivexAndItsShell) {
    const std::string bytes = emptyRegistryHive("ROOT");
    ASSERT_EQ(bytes.size(), 8192u);  // the base block and one bin

    const auto hive = RegistryHive::read(bytes);
    ASSERT_TRUE(hive);
    EXPECT_NE(hive->root(), 0u);
    EXPECT_EQ(hive->name(hive->root()), "ROOT");
    EXPECT_TRUE(hive->children(hive->root()).empty());
    EXPECT_TRUE(hive->values(hive->root()).empty());

    testing::TempFolder folder;
    const auto file = folder.write("empty.hive", bytes);
    const auto shell = testing::hivexsh(file, "ls\nlsval\n");
    EXPECT_EQ(shell.status, 0) << shell.output;
    EXPECT_EQ(shell.output, "");
}

TEST(SimRegistryHive, AnEmptyHiveTakesKeysAndValuesThatReadBackAfterAWrite) {
    const auto hive = RegistryHive::edit(emptyRegistryHive("ROOT"));
    ASSERT_TRUE(hive);
    // Keys below keys: each new key takes its parent's security cell, so this fails when the
    // empty hive's root points at no valid one.
    const hive_node_h deep = hive->ensureChild(hive->ensureChild(hive->root(), "Objects"), "{abc}");
    ASSERT_NE(deep, 0u);
    EXPECT_EQ(hive->ensureChild(hive->root(), "objects"), hive->child(hive->root(), "Objects"));  // no second key
    const std::wstring korean = L"\uBD80\uD305 \U0001F600";
    ASSERT_TRUE(hive->setValue(deep, "Text", registryString(korean)));
    ASSERT_TRUE(hive->setValue(deep, "List", registryMultiString({L"{a}", L"\uD55C"})));
    ASSERT_TRUE(hive->setValue(deep, "Number", registryDword(0x10200003)));
    ASSERT_TRUE(hive->setValue(deep, "Bytes", registryBinary(std::string("\x00\x01\xFF", 3))));
    const auto written = hive->bytes();
    ASSERT_TRUE(written);

    const auto reopened = RegistryHive::read(*written);
    ASSERT_TRUE(reopened);
    const hive_node_h key = reopened->child(reopened->child(reopened->root(), "OBJECTS"), "{ABC}");
    ASSERT_NE(key, 0u);
    EXPECT_EQ(stringOf(*reopened->value(key, "Text")), korean);
    EXPECT_EQ(multiStringOf(*reopened->value(key, "List")), (std::vector<std::wstring>{L"{a}", L"\uD55C"}));
    EXPECT_EQ(dwordOf(*reopened->value(key, "Number")), 0x10200003u);
    EXPECT_EQ(reopened->value(key, "Bytes")->data, std::string("\x00\x01\xFF", 3));
    EXPECT_FALSE(reopened->value(key, "Missing"));

    // The texts are UTF-16LE with their closing NUL, as Windows reads them: hivexget, which
    // converts REG_SZ itself, agrees.
    EXPECT_EQ(registryString(L"A\u00E9").data, std::string("A\0\xE9\0\0\0", 6));
    EXPECT_EQ(registryMultiString({L"A", L"B"}).data, std::string("A\0\0\0B\0\0\0\0\0", 10));
    testing::TempFolder folder;
    const auto file = folder.write("values.hive", *written);
    const auto got = testing::hivexget(file, "\\Objects\\{abc}", "Number");
    EXPECT_EQ(got.status, 0) << got.output;
    EXPECT_EQ(got.output, std::to_string(0x10200003) + "\n");
}

TEST(SimRegistryHive, EditingAHiveCopiesItsKeysAndValuesIntoANewOne) {
    const auto original = RegistryHive::edit(emptyRegistryHive("NewStoreRoot"));
    ASSERT_TRUE(original);
    const hive_node_h objects = original->ensureChild(original->root(), "Objects");
    const hive_node_h first = original->ensureChild(objects, "{first}");
    const hive_node_h second = original->ensureChild(objects, "{second}");
    ASSERT_TRUE(original->setValue(original->ensureChild(first, "Elements"), "Element", registryString(L"x")));
    ASSERT_TRUE(original->setValue(second, "Type", registryDword(7)));
    ASSERT_TRUE(original->setValue(second, "", registryBinary("default value")));
    // A type no hive_type names, as a hive from elsewhere may hold.
    ASSERT_TRUE(original->setValue(second, "Odd", RegistryValue{39, "odd"}));
    const auto bytes = original->bytes();
    ASSERT_TRUE(bytes);

    const auto copy = RegistryHive::edit(*bytes);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name(copy->root()), "NewStoreRoot");
    const hive_node_h copiedObjects = copy->child(copy->root(), "Objects");
    const auto children = copy->children(copiedObjects);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].first, "{first}");
    EXPECT_EQ(children[1].first, "{second}");
    EXPECT_EQ(copy->value(copy->child(children[0].second, "Elements"), "Element"), registryString(L"x"));
    const auto values = copy->values(children[1].second);
    const std::vector<std::pair<std::string, RegistryValue>> expected{
        {"Type", registryDword(7)}, {"", registryBinary("default value")}, {"Odd", RegistryValue{39, "odd"}}};
    EXPECT_EQ(values, expected);
    // The copy can be edited further and written.
    EXPECT_NE(copy->ensureChild(copiedObjects, "{third}"), 0u);
    const auto written = copy->bytes();
    ASSERT_TRUE(written);
    const auto reread = RegistryHive::read(*written);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->children(reread->child(reread->root(), "Objects")).size(), 3u);
}

TEST(SimRegistryHive, BytesThatAreNoHiveDoNotOpen) {
    std::string damaged = emptyRegistryHive("ROOT");
    damaged[0x30] ^= 1;  // breaks the base block's checksum
    for (const std::string& bytes : {std::string(), std::string("{\"default\": \"\"}"), damaged}) {
        EXPECT_FALSE(RegistryHive::read(bytes)) << bytes.size();
        EXPECT_FALSE(RegistryHive::edit(bytes)) << bytes.size();
    }
}

TEST(SimRegistryHive, ValuesOfAnotherTypeOrSizeHoldNoText) {
    EXPECT_FALSE(stringOf(registryDword(1)));
    EXPECT_FALSE(multiStringOf(registryString(L"x")));
    EXPECT_FALSE(dwordOf(registryBinary("12345")));
    EXPECT_EQ(multiStringOf(registryMultiString({})), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace halvora::sim
