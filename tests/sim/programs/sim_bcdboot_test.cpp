// The boot tool of the simulated machine, started as the program starts it: the boot files and
// the store it writes for each firmware, how a second run extends the store, and the ways a
// start or a run fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/programs/sim_bcd_store.hpp"
#include "platform/sim/programs/sim_bcdboot.hpp"
#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

const std::wstring kSystem32 = L"C:\\Windows\\System32";

// A GPT disk with an ESP (S:) and an installed Windows on W:, an MBR disk M:, a second
// Windows on D:. Both Windows folders have their boot files.
json bootDisks() {
    return json::parse(R"({"disks": [
      {"number": 0, "style": "GPT", "partitions": [
        {"number": 1, "gptType": "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", "letter": "S", "fileSystem": "FAT32",
         "size": 104857600, "folder": "esp"},
        {"number": 2, "letter": "W", "folder": "w"}]},
      {"number": 1, "style": "MBR", "partitions": [
        {"number": 1, "active": true, "letter": "M", "size": 1048576, "folder": "mbr"}]}]})");
}

class SimBcdboot : public ::testing::Test {
protected:
    explicit SimBcdboot(const json& patch = json::object()) : machine_(bootDisks()) {
        machine_.description().merge_patch(patch);
        for (const char* folder : {"esp", "mbr"}) fs::create_directories(machine_.host(folder));
        for (const char* windows : {"w/Windows", "D/Windows"}) {
            machine_.writeHostFile(std::string(windows) + "/Boot/EFI/bootmgfw.efi", "EFI manager");
            machine_.writeHostFile(std::string(windows) + "/Boot/PCAT/bootmgr", "PCAT manager");
        }
    }

    halvora::ProgramRun run(const std::wstring& commandLine, const std::wstring& folder = kSystem32) {
        if (!system_) system_ = std::make_unique<sim::SimSystem>(machine_.machine());
        return system_->runHiddenProgram(commandLine, folder);
    }
    sim::BcdStore store(const std::string& relative) {
        const auto parsed = sim::parseBcdStore(machine_.readHostFile(relative));
        EXPECT_TRUE(parsed) << relative << " is no store";
        return parsed.value_or(sim::BcdStore{});
    }
    bool holdsFiles(const std::string& folder) { return !fs::is_empty(machine_.host(folder)); }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
};

TEST_F(SimBcdboot, UefiWritesTheManagerCopiesAndAStoreEntry) {
    const halvora::ProgramRun r = run(L"Bcdboot.exe W:\\Windows /l ko-KR /s S: /f UEFI");
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(machine_.readHostFile("esp/EFI/Microsoft/Boot/bootmgfw.efi"), "EFI manager");
    EXPECT_EQ(machine_.readHostFile("esp/EFI/Boot/bootx64.efi"), "EFI manager");
    EXPECT_FALSE(machine_.hostFileExists("esp/bootmgr"));
    const auto bcd = store("esp/EFI/Microsoft/Boot/BCD");
    ASSERT_EQ(bcd.entries.size(), 1u);
    EXPECT_EQ(bcd.entries[0].device, L"W:");
    EXPECT_EQ(bcd.entries[0].path, L"\\Windows\\system32\\winload.efi");
    EXPECT_EQ(bcd.entries[0].locale, L"ko-KR");
    EXPECT_EQ(bcd.defaultEntry, bcd.entries[0].identifier);
    EXPECT_NE(bcd.entries[0].identifier, L"");
    const auto calls = machine_.machine()->calls();
    EXPECT_NE(
        std::find(calls.begin(), calls.end(),
                  L"CreateProcessW [C:\\Windows\\System32] Bcdboot.exe W:\\Windows /l ko-KR /s S: /f UEFI -> exit 0"),
        calls.end());
}

TEST_F(SimBcdboot, WithoutFirmwareTheVolumeDecidesAndAllWritesBoth) {
    // An ESP on GPT gets UEFI; the MBR volume BIOS, with the default locale.
    ASSERT_EQ(run(L"bcdboot W:\\Windows /s S:").exitCode, 0u);
    EXPECT_TRUE(machine_.hostFileExists("esp/EFI/Microsoft/Boot/BCD"));
    EXPECT_FALSE(machine_.hostFileExists("esp/Boot/BCD"));
    ASSERT_EQ(run(L"bcdboot W:\\Windows /s M").exitCode, 0u);
    EXPECT_EQ(machine_.readHostFile("mbr/bootmgr"), "PCAT manager");
    EXPECT_FALSE(machine_.hostFileExists("mbr/EFI"));
    const auto bios = store("mbr/Boot/BCD");
    ASSERT_EQ(bios.entries.size(), 1u);
    EXPECT_EQ(bios.entries[0].path, L"\\Windows\\system32\\winload.exe");
    EXPECT_EQ(bios.entries[0].locale, L"en-us");

    // Without /s the files go to the Windows volume itself; a missing source gives a stand-in.
    fs::remove(machine_.host("D/Windows/Boot/EFI/bootmgfw.efi"));
    ASSERT_EQ(run(L"\"C:\\Windows\\System32\\bcdboot.exe\" D:\\Windows /f all").exitCode, 0u);
    EXPECT_EQ(machine_.readHostFile("D/bootmgr"), "PCAT manager");
    EXPECT_TRUE(machine_.hostFileExists("D/EFI/Boot/bootx64.efi"));
    EXPECT_NE(machine_.readHostFile("D/EFI/Boot/bootx64.efi"), "");
    EXPECT_EQ(store("D/Boot/BCD").entries.at(0).device, L"D:");
    EXPECT_EQ(store("D/EFI/Microsoft/Boot/BCD").entries.at(0).path, L"\\Windows\\system32\\winload.efi");
}

TEST_F(SimBcdboot, ASecondWindowsAddsAnEntryAndKeepsTheDefaultWithD) {
    ASSERT_EQ(run(L"Bcdboot.exe W:\\Windows /s S: /f UEFI").exitCode, 0u);
    const std::wstring first = store("esp/EFI/Microsoft/Boot/BCD").defaultEntry;

    ASSERT_EQ(run(L"Bcdboot.exe D:\\Windows /s S: /f UEFI /d").exitCode, 0u);
    auto bcd = store("esp/EFI/Microsoft/Boot/BCD");
    ASSERT_EQ(bcd.entries.size(), 2u);
    EXPECT_EQ(bcd.entries[1].device, L"D:");
    EXPECT_NE(bcd.entries[1].identifier, first);
    EXPECT_EQ(bcd.defaultEntry, first);

    // The same Windows again, without /d: its entry is updated and becomes the default.
    ASSERT_EQ(run(L"Bcdboot.exe D:\\Windows /l ja-JP /s S: /f UEFI").exitCode, 0u);
    bcd = store("esp/EFI/Microsoft/Boot/BCD");
    ASSERT_EQ(bcd.entries.size(), 2u);
    EXPECT_EQ(bcd.entries[1].locale, L"ja-JP");
    EXPECT_EQ(bcd.defaultEntry, bcd.entries[1].identifier);
}

TEST_F(SimBcdboot, RefusesWhatItCannotWorkWith) {
    fs::remove_all(machine_.host("w/Windows/Boot"));
    const struct {
        const wchar_t* commandLine;
        std::uint32_t exitCode;
    } cases[] = {
        {L"Bcdboot.exe W:\\Windows /s S:", 87},         // no Windows\Boot
        {L"Bcdboot.exe D:\\Windows /s Q:", 87},         // no such volume
        {L"Bcdboot.exe D:\\Windows /s S: /f ARM", 87},  // no such firmware
        {L"Bcdboot.exe D:\\Windows /s", 87},            // /s without its value
        {L"Bcdboot.exe /s S: D:\\Windows", 87},         // the Windows folder comes first
        {L"Bcdboot.exe D:\\Windows /s S: /x", 87},      // unknown option
    };
    for (const auto& c : cases) {
        const halvora::ProgramRun r = run(c.commandLine);
        EXPECT_TRUE(r.started) << toUtf8(c.commandLine);
        EXPECT_EQ(r.exitCode, c.exitCode) << toUtf8(c.commandLine);
    }
    EXPECT_FALSE(holdsFiles("esp"));
    EXPECT_FALSE(holdsFiles("mbr"));
}

TEST_F(SimBcdboot, AFullVolumeStopsItWithTheWriteError) {
    machine_.writeHostFile("mbr/filler.bin", std::string(1048576 - 20, 'x'));
    const halvora::ProgramRun r = run(L"Bcdboot.exe D:\\Windows /s M: /f BIOS");
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 112u);
}

TEST_F(SimBcdboot, StartsOnlyTheBootToolFromSystem32InAnExistingFolder) {
    const struct {
        const wchar_t* commandLine;
        const wchar_t* folder;
        bool started;
        std::uint32_t error;
    } cases[] = {
        {L"BCDBOOT D:\\Windows /s S:", L"C:\\Windows\\System32", true, 0},
        {L"C:\\windows\\system32\\Bcdboot D:\\Windows /s S:", L"", true, 0},
        {L"notepad.exe D:\\Windows", L"C:\\Windows\\System32", false, 2},
        {L"D:\\Windows\\System32\\Bcdboot.exe D:\\Windows", L"C:\\Windows\\System32", false, 2},
        {L"Bcdboot.exe D:\\Windows /s S:", L"C:\\Nowhere", false, 267},
    };
    for (const auto& c : cases) {
        const halvora::ProgramRun r = run(c.commandLine, c.folder);
        EXPECT_EQ(r.started, c.started) << toUtf8(c.commandLine);
        EXPECT_EQ(r.error, c.error) << toUtf8(c.commandLine);
    }
    const auto calls = machine_.machine()->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        L"CreateProcessW [C:\\Nowhere] Bcdboot.exe D:\\Windows /s S: -> error 267"),
              calls.end());

    // Without the file in System32 there is nothing to start.
    fs::remove(machine_.host("C/Windows/System32/Bcdboot.exe"));
    const halvora::ProgramRun gone = run(L"Bcdboot.exe D:\\Windows /s S:");
    EXPECT_FALSE(gone.started);
    EXPECT_EQ(gone.error, 2u);
}

class SimBcdbootRemoved : public SimBcdboot {
protected:
    SimBcdbootRemoved() : SimBcdboot(json{{"bcdboot", false}}) {}
};

TEST_F(SimBcdbootRemoved, IsNotFound) {
    const halvora::ProgramRun r = run(L"Bcdboot.exe W:\\Windows /s S:");
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.error, 2u);
    EXPECT_FALSE(holdsFiles("esp"));
}

class SimBcdbootForced : public SimBcdboot {
protected:
    SimBcdbootForced() : SimBcdboot(json{{"bcdboot", {{"exitCode", 193}}}}) {}
};

TEST_F(SimBcdbootForced, ExitsWithTheCodeAndWritesNothing) {
    const halvora::ProgramRun r = run(L"Bcdboot.exe W:\\Windows /s S: /f ALL");
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 193u);
    EXPECT_FALSE(holdsFiles("esp"));
}

TEST(SimBcdbootDescription, RefusesAnEntryOfTheWrongShape) {
    for (const char* patch : {R"({"bcdboot": "yes"})", R"({"bcdboot": {"exitCode": -1}})"}) {
        std::string error;
        EXPECT_FALSE(sim::SimMachine::fromJson(json::parse(patch), error)) << patch;
        EXPECT_NE(error.find("bcdboot"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace halvora::scenario
