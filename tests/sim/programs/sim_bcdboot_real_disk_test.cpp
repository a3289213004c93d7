// The boot tool on real disks: the Windows folder's own boot files in the layout Windows uses,
// a store that is a registry hive naming the partitions by their identity on the disk, and a
// failure where the Windows lacks its boot manager.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/utf.hpp"
#include "folder_contents.hpp"
#include "hive_tools.hpp"
#include "platform/sim/programs/sim_bcd_hive.hpp"
#include "platform/sim/programs/sim_bcdboot.hpp"
#include "platform/sim/programs/sim_empty_hive.hpp"
#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

const char* const kRealDiskGuid = "{5C1E0D2A-3B4F-4A6E-9D8C-7B6A5F4E3D2C}";
const char* const kRealEspGuid = "{0A1B2C3D-4E5F-4061-8273-8495A6B7C8D9}";
const char* const kRealWindowsGuid = "{F0E1D2C3-B4A5-4697-8879-6A5B4C3D2E1F}";
const char* const kRealOtherWindowsGuid = "{11111111-2222-4333-8444-555555555555}";
constexpr std::uint32_t kRealMbrSignature = 0x5EED1E55;
constexpr std::uint64_t kRealMbrWindowsOffset = 0x06500000;

// A GPT disk (ESP S:, Windows on W:, another Windows on V:) and an MBR disk (active M:, Windows
// on N:), both real, described as the partition tables would give them.
json realBootDisks() {
    return json::parse(R"({"disks": [
      {"number": 0, "style": "GPT", "partitions": [
        {"number": 1, "gptType": "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", "letter": "S", "fileSystem": "FAT32",
         "size": 104857600, "folder": "esp"},
        {"number": 3, "letter": "W", "folder": "w"},
        {"number": 4, "letter": "V", "folder": "v"}]},
      {"number": 1, "style": "MBR", "partitions": [
        {"number": 1, "active": true, "letter": "M", "size": 104857600, "folder": "mbr"},
        {"number": 2, "letter": "N", "folder": "n"}]}]})");
}

// Puts the boot files an installed Windows has under `windows` (relative to the fixture).
void installWindowsBootFiles(SimMachineFixture& fixture, const std::string& windows) {
    const std::string boot = windows + "/Boot/";
    fixture.writeHostFile(boot + "EFI/bootmgfw.efi", "EFI manager of " + windows);
    fixture.writeHostFile(boot + "EFI/bootmgr.efi", "EFI bootmgr");
    fixture.writeHostFile(boot + "EFI/memtest.efi", "EFI memtest");
    fixture.writeHostFile(boot + "EFI/ko-KR/bootmgfw.efi.mui", "Korean EFI texts");
    fixture.writeHostFile(boot + "Fonts/malgun_boot.ttf", "Korean font");
    fixture.writeHostFile(boot + "Fonts/wgl4_boot.ttf", "Latin font");
    fixture.writeHostFile(boot + "PCAT/bootmgr", "PCAT manager of " + windows);
    fixture.writeHostFile(boot + "PCAT/memtest.exe", "PCAT memtest");
    fixture.writeHostFile(boot + "PCAT/ko-KR/bootmgr.exe.mui", "Korean PCAT texts");
}

class SimBcdbootRealDisk : public ::testing::Test {
protected:
    SimBcdbootRealDisk() : fixture_(realBootDisks()) {
        for (const char* folder : {"esp", "mbr"}) fs::create_directories(fixture_.host(folder));
        for (const char* windows : {"w/Windows", "v/Windows", "n/Windows"}) installWindowsBootFiles(fixture_, windows);
    }

    // The machine, made once: the description as read from JSON, then given what a real
    // disk's partition table gives.
    sim::SimMachine& machine() {
        if (!machine_) {
            std::string error;
            auto description = sim::parseMachineDescription(fixture_.description(), fixture_.host(""), error);
            EXPECT_TRUE(description) << error;
            auto& gpt = description->storage.disks.at(0);
            gpt.real = sim::RealDiskSource{sim::RealDiskKind::Image, fixture_.host("gpt.img")};
            gpt.gptDiskGuid = guid(kRealDiskGuid);
            gpt.partitions.at(0).offset = 1048576;
            gpt.partitions.at(0).partitionGuid = guid(kRealEspGuid);
            gpt.partitions.at(1).offset = 105906176;
            gpt.partitions.at(1).partitionGuid = guid(kRealWindowsGuid);
            gpt.partitions.at(2).partitionGuid = guid(kRealOtherWindowsGuid);
            auto& mbr = description->storage.disks.at(1);
            mbr.real = sim::RealDiskSource{sim::RealDiskKind::Device, "/dev/sdz"};
            mbr.mbrSignature = kRealMbrSignature;
            mbr.partitions.at(0).offset = 1048576;
            mbr.partitions.at(1).offset = kRealMbrWindowsOffset;
            machine_ = std::make_shared<sim::SimMachine>(std::move(*description));
        }
        return *machine_;
    }
    sim::BcdbootRun run(const std::vector<std::wstring>& arguments) { return sim::runBcdboot(machine(), arguments); }

    static sim::Guid guid(const char* text) { return sim::parseGuid(text).value(); }
    sim::BcdStoreContents store(const std::string& relative) {
        const auto contents = sim::readBcdHive(fixture_.readHostFile(relative));
        EXPECT_TRUE(contents) << relative << " is no hive";
        return contents.value_or(sim::BcdStoreContents{});
    }
    static const sim::BcdObject* defaultLoader(const sim::BcdStoreContents& bcd) {
        const sim::BcdObject* manager = bcd.object(sim::kBcdBootManager);
        const auto id = manager ? manager->text(sim::kBcdDefaultObject) : std::nullopt;
        return id ? bcd.object(*id) : nullptr;
    }
    static std::size_t loaderCount(const sim::BcdStoreContents& bcd) {
        return static_cast<std::size_t>(std::count_if(bcd.objects.begin(), bcd.objects.end(),
                                                      [](const auto& o) { return o.type == sim::kBcdTypeLoader; }));
    }

    SimMachineFixture fixture_;
    std::shared_ptr<sim::SimMachine> machine_;
};

TEST_F(SimBcdbootRealDisk, UefiPlacesTheWindowsBootFilesAndAHiveNamingBothPartitions) {
    const sim::BcdbootRun r = run({L"W:\\Windows", L"/l", L"ko-KR", L"/s", L"S:", L"/f", L"UEFI"});
    ASSERT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.output, std::vector<std::wstring>{L"Boot files successfully created."});

    auto esp = halvora::testing::folderContents(fixture_.host("esp"));
    const std::string bcd = esp["EFI/Microsoft/Boot/BCD"];
    esp.erase("EFI/Microsoft/Boot/BCD");
    const std::map<std::string, std::string> expected{
        {"EFI", "<folder>"},
        {"EFI/Boot", "<folder>"},
        {"EFI/Boot/bootx64.efi", "EFI manager of w/Windows"},
        {"EFI/Microsoft", "<folder>"},
        {"EFI/Microsoft/Boot", "<folder>"},
        {"EFI/Microsoft/Boot/bootmgfw.efi", "EFI manager of w/Windows"},
        {"EFI/Microsoft/Boot/bootmgr.efi", "EFI bootmgr"},
        {"EFI/Microsoft/Boot/memtest.efi", "EFI memtest"},
        {"EFI/Microsoft/Boot/ko-KR", "<folder>"},
        {"EFI/Microsoft/Boot/ko-KR/bootmgfw.efi.mui", "Korean EFI texts"},
        {"EFI/Microsoft/Boot/Fonts", "<folder>"},
        {"EFI/Microsoft/Boot/Fonts/malgun_boot.ttf", "Korean font"},
        {"EFI/Microsoft/Boot/Fonts/wgl4_boot.ttf", "Latin font"},
    };
    EXPECT_EQ(esp, expected);

    const auto contents = store("esp/EFI/Microsoft/Boot/BCD");
    const sim::BcdObject* loader = defaultLoader(contents);
    ASSERT_TRUE(loader);
    EXPECT_EQ(loaderCount(contents), 1u);
    sim::BcdPartitionDevice windows;
    windows.style = sim::PartitionStyle::Gpt;
    windows.diskGuid = guid(kRealDiskGuid);
    windows.partitionGuid = guid(kRealWindowsGuid);
    EXPECT_EQ(loader->device(sim::kBcdApplicationDevice), windows);
    EXPECT_EQ(loader->device(sim::kBcdOsDevice), windows);
    EXPECT_EQ(loader->text(sim::kBcdApplicationPath), L"\\Windows\\system32\\winload.efi");
    EXPECT_EQ(loader->text(sim::kBcdSystemRoot), L"\\Windows");
    EXPECT_EQ(loader->text(sim::kBcdLocale), L"ko-KR");
    sim::BcdPartitionDevice boot = windows;
    boot.partitionGuid = guid(kRealEspGuid);
    const sim::BcdObject* manager = contents.object(sim::kBcdBootManager);
    EXPECT_EQ(manager->device(sim::kBcdApplicationDevice), boot);
    EXPECT_EQ(manager->text(sim::kBcdApplicationPath), L"\\EFI\\Microsoft\\Boot\\bootmgfw.efi");
    EXPECT_EQ(manager->objects(sim::kBcdDisplayOrder), std::vector<std::wstring>{loader->id});

    const auto keyName =
        halvora::testing::hivexget(fixture_.host("esp/EFI/Microsoft/Boot/BCD"), "\\Description", "KeyName");
    EXPECT_EQ(keyName.output, "BCD00000000\n");
}

TEST_F(SimBcdbootRealDisk, BiosPlacesBootmgrAndThePcatFilesAndAHiveNamingTheMbrPartitions) {
    const sim::BcdbootRun r = run({L"N:\\Windows", L"/s", L"M:", L"/f", L"BIOS"});
    ASSERT_EQ(r.exitCode, 0u);
    auto mbr = halvora::testing::folderContents(fixture_.host("mbr"));
    mbr.erase("Boot/BCD");
    const std::map<std::string, std::string> expected{
        {"bootmgr", "PCAT manager of n/Windows"},
        {"Boot", "<folder>"},
        {"Boot/memtest.exe", "PCAT memtest"},
        {"Boot/ko-KR", "<folder>"},
        {"Boot/ko-KR/bootmgr.exe.mui", "Korean PCAT texts"},
        {"Boot/Fonts", "<folder>"},
        {"Boot/Fonts/malgun_boot.ttf", "Korean font"},
        {"Boot/Fonts/wgl4_boot.ttf", "Latin font"},
    };
    EXPECT_EQ(mbr, expected);

    const auto contents = store("mbr/Boot/BCD");
    const sim::BcdObject* loader = defaultLoader(contents);
    ASSERT_TRUE(loader);
    sim::BcdPartitionDevice windows;
    windows.style = sim::PartitionStyle::Mbr;
    windows.mbrSignature = kRealMbrSignature;
    windows.partitionOffset = kRealMbrWindowsOffset;
    EXPECT_EQ(loader->device(sim::kBcdOsDevice), windows);
    EXPECT_EQ(loader->text(sim::kBcdApplicationPath), L"\\Windows\\system32\\winload.exe");
    EXPECT_EQ(loader->text(sim::kBcdLocale), L"en-us");
    sim::BcdPartitionDevice active = windows;
    active.partitionOffset = 1048576;
    const sim::BcdObject* manager = contents.object(sim::kBcdBootManager);
    EXPECT_EQ(manager->device(sim::kBcdApplicationDevice), active);
    EXPECT_FALSE(manager->text(sim::kBcdApplicationPath));  // bootmgr lies at the root
}

TEST_F(SimBcdbootRealDisk, ALaterRunKeepsTheStoreAndAddsOnlyANewWindows) {
    ASSERT_EQ(run({L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"}).exitCode, 0u);
    const std::wstring first = defaultLoader(store("esp/EFI/Microsoft/Boot/BCD"))->id;
    ASSERT_EQ(run({L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"}).exitCode, 0u);
    EXPECT_EQ(loaderCount(store("esp/EFI/Microsoft/Boot/BCD")), 1u);

    ASSERT_EQ(run({L"V:\\Windows", L"/s", L"S:", L"/f", L"UEFI", L"/d"}).exitCode, 0u);
    const auto both = store("esp/EFI/Microsoft/Boot/BCD");
    EXPECT_EQ(loaderCount(both), 2u);
    EXPECT_EQ(defaultLoader(both)->id, first);
    EXPECT_EQ(both.object(sim::kBcdBootManager)->objects(sim::kBcdDisplayOrder)->size(), 2u);
    // The boot manager copied last is the second Windows'.
    EXPECT_EQ(fixture_.readHostFile("esp/EFI/Boot/bootx64.efi"), "EFI manager of v/Windows");
}

TEST_F(SimBcdbootRealDisk, StartsFromTheTemplateOfTheWindows) {
    // A template whose global settings carry an element of their own.
    const auto hive = sim::RegistryHive::edit(sim::emptyRegistryHive("ROOT"));
    ASSERT_TRUE(hive);
    const hive_node_h settings =
        hive->ensureChild(hive->ensureChild(hive->root(), "Objects"), toUtf8(sim::kBcdGlobalSettings));
    ASSERT_TRUE(hive->setValue(hive->ensureChild(settings, "Description"), "Type",
                               sim::registryDword(sim::kBcdTypeGlobalSettings)));
    const hive_node_h element = hive->ensureChild(hive->ensureChild(settings, "Elements"), "16000060");
    ASSERT_TRUE(hive->setValue(element, "Element", sim::registryBinary(std::string(1, '\x01'))));
    const auto templateBytes = hive->bytes();
    ASSERT_TRUE(templateBytes);
    fixture_.writeHostFile("w/Windows/System32/config/BCD-Template", *templateBytes);

    ASSERT_EQ(run({L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"}).exitCode, 0u);
    const auto contents = store("esp/EFI/Microsoft/Boot/BCD");
    const sim::BcdObject* global = contents.object(sim::kBcdGlobalSettings);
    ASSERT_TRUE(global);
    EXPECT_EQ(global->elements.count(0x16000060), 1u);
    EXPECT_TRUE(defaultLoader(contents));
    // The template itself stays as it was.
    EXPECT_EQ(fixture_.readHostFile("w/Windows/System32/config/BCD-Template"), *templateBytes);
}

TEST_F(SimBcdbootRealDisk, AWindowsWithoutItsBootManagerFailsWithFileNotFound) {
    fs::remove(fixture_.host("w/Windows/Boot/EFI/bootmgfw.efi"));
    fs::remove(fixture_.host("n/Windows/Boot/PCAT/bootmgr"));
    const struct {
        std::vector<std::wstring> arguments;
        const char* volume;
    } cases[] = {
        {{L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"}, "esp"},
        {{L"N:\\Windows", L"/s", L"M:", L"/f", L"BIOS"}, "mbr"},
    };
    for (const auto& c : cases) {
        const sim::BcdbootRun r = run(c.arguments);
        EXPECT_EQ(r.exitCode, 2u) << c.volume;
        EXPECT_EQ(r.output, std::vector<std::wstring>{L"Failure when attempting to copy boot files."}) << c.volume;
        EXPECT_TRUE(fs::is_empty(fixture_.host(c.volume))) << c.volume;
    }
}

TEST_F(SimBcdbootRealDisk, AWindowsOnNoPartitionIsRefused) {
    // D: is a plain folder drive: a store could not name it.
    installWindowsBootFiles(fixture_, "D/Windows");
    const sim::BcdbootRun r = run({L"D:\\Windows", L"/s", L"S:", L"/f", L"UEFI"});
    EXPECT_EQ(r.exitCode, 87u);
    EXPECT_TRUE(fs::is_empty(fixture_.host("esp")));
}

TEST_F(SimBcdbootRealDisk, AStoreOnTheVolumeThatIsNoHiveGivesInvalidData) {
    const std::string text = "{\"default\": \"\", \"entries\": []}\n";
    fixture_.writeHostFile("esp/EFI/Microsoft/Boot/BCD", text);
    const sim::BcdbootRun r = run({L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"});
    EXPECT_EQ(r.exitCode, 13u);
    EXPECT_EQ(r.output, std::vector<std::wstring>{L"Failure when attempting to copy boot files."});
    EXPECT_EQ(fixture_.readHostFile("esp/EFI/Microsoft/Boot/BCD"), text);
}

TEST_F(SimBcdbootRealDisk, AWriteProtectedVolumeGivesTheWriteError) {
    fixture_.description()["readOnly"] = {"S:\\EFI\\Microsoft"};
    fs::create_directories(fixture_.host("esp/EFI/Microsoft"));
    EXPECT_EQ(run({L"W:\\Windows", L"/s", L"S:", L"/f", L"UEFI"}).exitCode, 19u);
    EXPECT_FALSE(fixture_.hostFileExists("esp/EFI/Microsoft/Boot"));
}

}  // namespace
}  // namespace halvora::scenario
