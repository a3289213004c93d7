// The boot configuration store as a registry hive: what a new store holds, the device bytes
// that name a GPT or MBR partition, how later runs update a store, keep its default with /d or
// start from a template, and what is refused.

#include <gtest/gtest.h>

#include <algorithm>

#include "base/utf.hpp"
#include "hive_tools.hpp"
#include "platform/sim/programs/sim_bcd_hive.hpp"
#include "platform/sim/programs/sim_empty_hive.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

Guid guidOf(const char* text) { return parseGuid(text).value(); }

BcdPartitionDevice gptPartition(const char* partition) {
    BcdPartitionDevice device;
    device.style = PartitionStyle::Gpt;
    device.diskGuid = guidOf("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");
    device.partitionGuid = guidOf(partition);
    return device;
}

BcdBootEntry uefiEntry(const char* windowsPartition = "{12345678-9ABC-DEF0-1122-334455667788}") {
    BcdBootEntry entry;
    entry.windowsDevice = gptPartition(windowsPartition);
    entry.bootDevice = gptPartition("{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");
    entry.managerPath = L"\\EFI\\Microsoft\\Boot\\bootmgfw.efi";
    entry.loaderPath = L"\\Windows\\system32\\winload.efi";
    entry.systemRoot = L"\\Windows";
    entry.locale = L"ko-KR";
    entry.description = L"Windows";
    return entry;
}

// Writes the store and reads it back; fails the test when either step does.
BcdStoreContents storeAfter(const std::optional<std::string>& start, const BcdBootEntry& entry, bool keepDefault,
                            std::string* bytes = nullptr) {
    std::string hive;
    EXPECT_EQ(writeBcdHive(start, entry, keepDefault, hive), 0u);
    if (bytes) *bytes = hive;
    auto contents = readBcdHive(hive);
    EXPECT_TRUE(contents);
    return contents.value_or(BcdStoreContents{});
}

std::vector<const BcdObject*> loadersOf(const BcdStoreContents& store) {
    std::vector<const BcdObject*> loaders;
    for (const auto& object : store.objects) {
        if (object.type == kBcdTypeLoader) loaders.push_back(&object);
    }
    return loaders;
}

TEST(SimBcdHive, ANewStoreHasAManagerThatStartsItsOnlyLoader) {
    std::string bytes;
    const BcdBootEntry entry = uefiEntry();
    const auto store = storeAfter(std::nullopt, entry, false, &bytes);
    EXPECT_EQ(store.keyName, L"BCD00000000");

    const auto loaders = loadersOf(store);
    ASSERT_EQ(loaders.size(), 1u);
    const BcdObject& loader = *loaders[0];
    // A lower-case GUID in braces, not one of the well-known objects.
    EXPECT_EQ(loader.id.size(), 38u);
    EXPECT_TRUE(std::none_of(loader.id.begin(), loader.id.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; }))
        << toUtf8(loader.id);
    EXPECT_TRUE(parseGuid(toUtf8(loader.id)));
    EXPECT_EQ(loader.device(kBcdApplicationDevice), entry.windowsDevice);
    EXPECT_EQ(loader.device(kBcdOsDevice), entry.windowsDevice);
    EXPECT_EQ(loader.text(kBcdApplicationPath), L"\\Windows\\system32\\winload.efi");
    EXPECT_EQ(loader.text(kBcdSystemRoot), L"\\Windows");
    EXPECT_EQ(loader.text(kBcdLocale), L"ko-KR");
    EXPECT_EQ(loader.text(kBcdDescription), L"Windows");
    EXPECT_EQ(loader.objects(kBcdInheritedObjects), std::vector<std::wstring>{kBcdLoaderSettings});

    const BcdObject* manager = store.object(kBcdBootManager);
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager->type, kBcdTypeBootManager);
    EXPECT_EQ(manager->text(kBcdDefaultObject), loader.id);
    EXPECT_EQ(manager->objects(kBcdDisplayOrder), std::vector<std::wstring>{loader.id});
    EXPECT_EQ(manager->integer(kBcdTimeout), 30u);
    EXPECT_EQ(manager->device(kBcdApplicationDevice), entry.bootDevice);
    EXPECT_EQ(manager->text(kBcdApplicationPath), L"\\EFI\\Microsoft\\Boot\\bootmgfw.efi");
    EXPECT_EQ(manager->text(kBcdDescription), L"Windows Boot Manager");
    EXPECT_EQ(manager->text(kBcdLocale), L"ko-KR");
    // What the loader and the manager inherit is in the store.
    ASSERT_TRUE(store.object(kBcdLoaderSettings));
    EXPECT_EQ(store.object(kBcdLoaderSettings)->type, kBcdTypeLoaderSettings);
    ASSERT_TRUE(store.object(kBcdGlobalSettings));
    EXPECT_EQ(store.object(kBcdGlobalSettings)->type, kBcdTypeGlobalSettings);

    // hivex's tools read the same store.
    testing::TempFolder folder;
    const auto file = folder.write("BCD", bytes);
    const auto keyName = testing::hivexget(file, "\\Description", "KeyName");
    EXPECT_EQ(keyName.output, "BCD00000000\n");
    const auto objects = testing::hivexsh(file, "cd \\Objects\nls\n");
    EXPECT_EQ(objects.status, 0) << objects.output;
    EXPECT_NE(objects.output.find("{9dea862c-5cdd-4e70-acc1-f32b344d4795}\n"), std::string::npos) << objects.output;
    EXPECT_NE(objects.output.find(toUtf8(loader.id) + "\n"), std::string::npos) << objects.output;
    const auto elements = testing::hivexsh(file, "cd \\Objects\\" + toUtf8(loader.id) + "\\Elements\nls\n");
    EXPECT_EQ(elements.output, "11000001\n12000002\n12000004\n12000005\n14000006\n21000001\n22000002\n");
    const auto type = testing::hivexget(file, "\\Objects\\" + toUtf8(loader.id) + "\\Description", "Type");
    EXPECT_EQ(type.output, std::to_string(0x10200003) + "\n");
}

TEST(SimBcdHive, DeviceElementsNameTheGptOrMbrPartitionInWindowsByteOrder) {
    BcdPartitionDevice gpt = gptPartition("{12345678-9ABC-DEF0-1122-334455667788}");
    const std::string g = bcdDeviceElement(gpt);
    ASSERT_EQ(g.size(), 88u);
    EXPECT_EQ(g.substr(0x10, 4), std::string("\x06\0\0\0", 4));  // a partition
    EXPECT_EQ(g.substr(0x18, 4), std::string("\x48\0\0\0", 4));
    EXPECT_EQ(g.substr(0x20, 16), "\x78\x56\x34\x12\xBC\x9A\xF0\xDE\x11\x22\x33\x44\x55\x66\x77\x88");
    EXPECT_EQ(g.substr(0x34, 4), std::string("\0\0\0\0", 4));  // GPT
    EXPECT_EQ(g.substr(0x38, 16), "\x3C\x2D\x1E\x0F\x5A\x4B\x78\x69\x87\x96\xA5\xB4\xC3\xD2\xE1\xF0");
    EXPECT_EQ(g.substr(0x48), std::string(16, '\0'));

    BcdPartitionDevice mbr;
    mbr.style = PartitionStyle::Mbr;
    mbr.mbrSignature = 0xA1B2C3D4;
    mbr.partitionOffset = 0x1234500000ull;
    const std::string m = bcdDeviceElement(mbr);
    ASSERT_EQ(m.size(), 88u);
    EXPECT_EQ(m.substr(0x10, 4), std::string("\x06\0\0\0", 4));
    EXPECT_EQ(m.substr(0x20, 8), std::string("\x00\x00\x50\x34\x12\x00\x00\x00", 8));
    EXPECT_EQ(m.substr(0x34, 4), std::string("\x01\0\0\0", 4));  // MBR
    EXPECT_EQ(m.substr(0x38, 4), "\xD4\xC3\xB2\xA1");
    EXPECT_EQ(m.substr(0x3C), std::string(88 - 0x3C, '\0'));

    EXPECT_EQ(parseBcdDeviceElement(g), gpt);
    EXPECT_EQ(parseBcdDeviceElement(m), mbr);
    std::string bootDevice = g;
    bootDevice[0x10] = 5;  // "the boot device" names no partition
    EXPECT_FALSE(parseBcdDeviceElement(bootDevice));
    EXPECT_FALSE(parseBcdDeviceElement(g.substr(0, 80)));

    // In the store, as REG_BINARY.
    BcdBootEntry entry = uefiEntry();
    entry.windowsDevice = mbr;
    const auto store = storeAfter(std::nullopt, entry, false);
    const auto loaders = loadersOf(store);
    ASSERT_EQ(loaders.size(), 1u);
    EXPECT_EQ(loaders[0]->elements.at(kBcdOsDevice), registryBinary(m));
}

TEST(SimBcdHive, ALaterRunUpdatesItsLoaderAddsAnotherAndKeepsTheDefaultWhenAsked) {
    std::string first;
    const auto once = storeAfter(std::nullopt, uefiEntry(), false, &first);
    const std::wstring loader = loadersOf(once).at(0)->id;

    // The same Windows again, in another language: its loader is updated, not doubled.
    BcdBootEntry again = uefiEntry();
    again.locale = L"ja-JP";
    again.loaderPath = L"\\WINDOWS\\System32\\WINLOAD.EFI";
    std::string second;
    const auto twice = storeAfter(first, again, false, &second);
    ASSERT_EQ(loadersOf(twice).size(), 1u);
    EXPECT_EQ(loadersOf(twice)[0]->id, loader);
    EXPECT_EQ(loadersOf(twice)[0]->text(kBcdLocale), L"ja-JP");
    EXPECT_EQ(twice.object(kBcdBootManager)->objects(kBcdDisplayOrder), std::vector<std::wstring>{loader});

    // A second Windows with /d: added and listed, the default stays.
    const BcdBootEntry other = uefiEntry("{99999999-8888-7777-6666-555555555555}");
    std::string third;
    const auto kept = storeAfter(second, other, true, &third);
    const auto loaders = loadersOf(kept);
    ASSERT_EQ(loaders.size(), 2u);
    const BcdObject* added = loaders[0]->id == loader ? loaders[1] : loaders[0];
    EXPECT_NE(added->id, loader);
    EXPECT_EQ(added->device(kBcdApplicationDevice), other.windowsDevice);
    const BcdObject* manager = kept.object(kBcdBootManager);
    EXPECT_EQ(manager->text(kBcdDefaultObject), loader);
    EXPECT_EQ(manager->objects(kBcdDisplayOrder), (std::vector<std::wstring>{loader, added->id}));

    // Without /d the Windows just written becomes the default.
    const auto moved = storeAfter(third, other, false);
    EXPECT_EQ(loadersOf(moved).size(), 2u);
    EXPECT_EQ(moved.object(kBcdBootManager)->text(kBcdDefaultObject), added->id);
}

TEST(SimBcdHive, DWithoutADefaultMakesTheLoaderTheDefault) {
    const auto store = storeAfter(std::nullopt, uefiEntry(), true);
    ASSERT_EQ(loadersOf(store).size(), 1u);
    EXPECT_EQ(store.object(kBcdBootManager)->text(kBcdDefaultObject), loadersOf(store)[0]->id);
}

TEST(SimBcdHive, ATemplateKeepsWhatItHoldsAndItsManagersSettings) {
    // A template with global settings of its own and a boot manager with a timeout of 5.
    const auto hive = RegistryHive::edit(emptyRegistryHive("ROOT"));
    ASSERT_TRUE(hive);
    const hive_node_h objects = hive->ensureChild(hive->root(), "Objects");
    const hive_node_h settings = hive->ensureChild(objects, toUtf8(kBcdGlobalSettings));
    ASSERT_TRUE(hive->setValue(hive->ensureChild(settings, "Description"), "Type", registryDword(0x20100000)));
    const hive_node_h marker = hive->ensureChild(hive->ensureChild(settings, "Elements"), "16000060");
    ASSERT_TRUE(hive->setValue(marker, "Element", registryBinary(std::string(1, '\x01'))));
    const hive_node_h manager = hive->ensureChild(objects, toUtf8(kBcdBootManager));
    ASSERT_TRUE(hive->setValue(hive->ensureChild(manager, "Description"), "Type", registryDword(kBcdTypeBootManager)));
    const hive_node_h timeout = hive->ensureChild(hive->ensureChild(manager, "Elements"), "25000004");
    ASSERT_TRUE(hive->setValue(timeout, "Element", registryBinary(std::string("\x05\0\0\0\0\0\0\0", 8))));
    const auto templateBytes = hive->bytes();
    ASSERT_TRUE(templateBytes);

    const auto store = storeAfter(*templateBytes, uefiEntry(), false);
    const BcdObject* global = store.object(kBcdGlobalSettings);
    ASSERT_TRUE(global);
    EXPECT_EQ(global->elements.count(0x16000060), 1u);
    EXPECT_FALSE(global->text(kBcdLocale));  // the template's settings are not rewritten
    EXPECT_EQ(store.object(kBcdBootManager)->integer(kBcdTimeout), 5u);
    ASSERT_EQ(loadersOf(store).size(), 1u);
    EXPECT_EQ(store.object(kBcdBootManager)->text(kBcdDefaultObject), loadersOf(store)[0]->id);
    EXPECT_EQ(store.keyName, L"BCD00000000");
}

TEST(SimBcdHive, StartBytesThatAreNoHiveGiveInvalidData) {
    for (const std::string& bytes :
         {std::string(), std::string("{\"default\": \"\", \"entries\": []}\n"), std::string(8192, 'r')}) {
        std::string hive = "untouched";
        EXPECT_EQ(writeBcdHive(bytes, uefiEntry(), false, hive), 13u);
        EXPECT_EQ(hive, "untouched");
        EXPECT_FALSE(readBcdHive(bytes));
    }
}

}  // namespace
}  // namespace halvora::sim
