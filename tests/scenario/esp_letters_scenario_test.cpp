// The program over simulated disks: EFI system partitions get a letter while it runs, and GPT
// ones lose theirs when it ends.

#include "base/utf.hpp"
#include "disks/drive_enumeration.hpp"
#include "sim_session.hpp"

#include <algorithm>

namespace halvora::scenario {
namespace {

json espMachine(SimMachineFixture& m, bool espMountedAsS) {
    for (const char* folder : {"esp", "esp2", "win", "p", "q"}) std::filesystem::create_directories(m.host(folder));
    json esp = {{"number", 1},           {"gptType", kEspType}, {"gptName", "EFI system partition"},
                {"fileSystem", "FAT32"}, {"size", 104857600},   {"folder", m.host("esp").string()}};
    if (espMountedAsS) esp["letter"] = "S:";
    return {{"disks",
             {{{"number", 0},
               {"style", "GPT"},
               {"bus", 17},
               {"partitions", {esp, {{"number", 2}, {"letter", "W"}, {"folder", m.host("win").string()}}}}},
              {{"number", 1},
               {"style", "MBR"},
               {"bus", 7},
               {"removable", true},
               {"partitions",
                {{{"number", 1},
                  {"mbrType", 0xEF},
                  {"active", true},
                  {"fileSystem", "FAT32"},
                  {"folder", m.host("esp2").string()}}}}}}},
            {"otherDrives",
             {{{"letter", "P"}, {"kind", "network"}, {"folder", m.host("p").string()}},
              {{"letter", "Q"}, {"kind", "ramdisk"}, {"folder", m.host("q").string()}}}}};
}

std::vector<std::wstring> defines(const std::vector<std::wstring>& calls) {
    std::vector<std::wstring> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                 [](const std::wstring& call) { return call.rfind(L"DefineDosDeviceW", 0) == 0; });
    return out;
}

TEST(EspLetters, EspsWithoutLettersGetFreeOnesFromPWhileTheProgramRunsAndGptOnesLoseThemAtExit) {
    SimMachineFixture m;
    m.description().merge_patch(espMachine(m, false));
    m.writeHostFile("esp/EFI/Boot/bootx64.efi", "MZ");
    auto machine = m.machine();
    ASSERT_TRUE(machine);
    {
        ProgramRun run(machine);
        run.start();
        EXPECT_EQ(defines(machine->calls()),
                  (std::vector<std::wstring>{L"DefineDosDeviceW 0x1 R: \\Device\\HarddiskVolume1",
                                             L"DefineDosDeviceW 0x1 S: \\Device\\HarddiskVolume3"}));
        const auto host = machine->hostPath(L"R:\\EFI\\Boot\\bootx64.efi");
        ASSERT_TRUE(host);
        EXPECT_TRUE(std::filesystem::exists(*host));
        EXPECT_TRUE(machine->hostPath(L"S:\\"));
        ASSERT_TRUE(run.user().requestClose("MainWindow")) << run.user().lastError();
        EXPECT_EQ(run.exitCode(), 0);
    }
    const auto all = defines(machine->calls());
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2], L"DefineDosDeviceW 0x7 R: \\Device\\HarddiskVolume1");
    EXPECT_FALSE(machine->hostPath(L"R:\\"));
    EXPECT_TRUE(machine->hostPath(L"S:\\"));  // the MBR ESP keeps its letter
}

TEST(EspLetters, AnEspTheUserMountedKeepsItsLetterWhileRunningAndLosesItAtExit) {
    SimMachineFixture m;
    m.description().merge_patch(espMachine(m, true));
    auto machine = m.machine();
    ASSERT_TRUE(machine);
    {
        ProgramRun run(machine);
        run.start();
        EXPECT_EQ(defines(machine->calls()),
                  (std::vector<std::wstring>{L"DefineDosDeviceW 0x1 R: \\Device\\HarddiskVolume3"}));
        ASSERT_TRUE(run.user().requestClose("MainWindow")) << run.user().lastError();
        EXPECT_EQ(run.exitCode(), 0);
    }
    const auto all = defines(machine->calls());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1], L"DefineDosDeviceW 0x7 S: \\Device\\HarddiskVolume1");
    EXPECT_FALSE(machine->hostPath(L"S:\\"));
}

const char* const kBasicDataGuid = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";

json gptPartition(int number, const char* type, const std::string& folder, const char* letter = nullptr) {
    json p = {{"number", number},
              {"gptType", type},
              {"gptName", number == 1 ? "EFI system partition" : "Basic data partition"},
              {"fileSystem", number == 1 ? "FAT32" : "NTFS"},
              {"size", 1LL << 30},
              {"folder", folder}};
    if (letter) p["letter"] = letter;
    return p;
}

// Disk 0: the system disk, its ESP without a letter and C:; disk 1: a second GPT disk with its
// own ESP and E:. P and Q are plain drives in use.
json twoGptDisks() {
    return {{"drives", {{"C", nullptr}, {"D", "D"}, {"P", "P"}, {"Q", "Q"}}},
            {"disks",
             {{{"number", 0},
               {"style", "GPT"},
               {"bus", 17},
               {"removable", false},
               {"vendor", "Samsung"},
               {"product", "SSD 970"},
               {"partitions", {gptPartition(1, kEspType, "esp0"), gptPartition(3, kBasicDataGuid, "C", "C")}}},
              {{"number", 1},
               {"style", "GPT"},
               {"bus", 11},
               {"removable", false},
               {"partitions", {gptPartition(1, kEspType, "esp1"), gptPartition(2, kBasicDataGuid, "E", "E")}}}}}};
}

class EspLettersScenario : public ::testing::Test {
protected:
    explicit EspLettersScenario() = default;
    void makeFolders(SimMachineFixture& machine) {
        for (const char* f : {"esp0", "esp1", "E", "P", "Q", "R", "S", "mbr"})
            std::filesystem::create_directories(machine.host(f));
    }
    // The drive roots as a program started now would see them.
    static std::vector<std::wstring> roots(SimMachineFixture& machine) {
        sim::SimSystem observer(machine.machine());
        return logicalDriveRoots(observer);
    }
    static bool has(const std::vector<std::wstring>& list, const std::wstring& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    }
};

TEST_F(EspLettersScenario, EspsGetTheFirstFreeLettersFromPAndLoseThemAtExit) {
    SimMachineFixture machine(twoGptDisks());
    makeFolders(machine);
    {
        ProgramRun run(machine.machine());
        run.start();
        const auto during = roots(machine);
        EXPECT_TRUE(has(during, L"R:\\"));
        EXPECT_TRUE(has(during, L"S:\\"));
        EXPECT_FALSE(has(during, L"T:\\"));
        // The ESP's files are reached through its new letter.
        machine.writeHostFile("esp0/EFI/Microsoft/Boot/BCD", "store");
        EXPECT_EQ(run.system().fileSize(L"R:\\EFI\\Microsoft\\Boot\\BCD"), 5);
        ASSERT_TRUE(run.user().requestClose("MainWindow"));
        ASSERT_TRUE(run.ended(std::chrono::seconds(60)));
        EXPECT_EQ(run.exitCode(), 0);
    }
    const auto after = roots(machine);
    EXPECT_FALSE(has(after, L"R:\\"));
    EXPECT_FALSE(has(after, L"S:\\"));
    EXPECT_TRUE(has(after, L"C:\\"));
    EXPECT_TRUE(has(after, L"E:\\"));
}

TEST_F(EspLettersScenario, NoLetterLeftFromPToZDefinesNothing) {
    json description = twoGptDisks();
    for (char letter = 'R'; letter <= 'Z'; ++letter) {
        description["drives"][std::string(1, letter)] = "P";
    }
    SimMachineFixture machine(description);
    makeFolders(machine);
    ProgramRun run(machine.machine());
    run.start();
    for (const auto& call : machine.machine()->calls()) {
        EXPECT_EQ(call.find(L"DefineDosDeviceW"), std::wstring::npos) << toUtf8(call);
    }
    EXPECT_EQ(roots(machine).size(), 14u);  // D, C, E, P to Z
}

TEST_F(EspLettersScenario, ZIsTheLastLetterGivenToAnEsp) {
    json description = twoGptDisks();
    for (char letter = 'R'; letter <= 'Y'; ++letter) {
        description["drives"][std::string(1, letter)] = "P";
    }
    SimMachineFixture machine(description);
    makeFolders(machine);
    ProgramRun run(machine.machine());
    run.start();
    EXPECT_TRUE(has(roots(machine), L"Z:\\"));
    std::vector<std::wstring> defined;
    for (const auto& call : machine.machine()->calls()) {
        if (call.find(L"DefineDosDeviceW") != std::wstring::npos) defined.push_back(call);
    }
    ASSERT_EQ(defined.size(), 1u) << "one letter for two ESPs";
    EXPECT_EQ(defined.front().rfind(L"DefineDosDeviceW 0x1 Z: ", 0), 0u) << toUtf8(defined.front());
}

}  // namespace
}  // namespace halvora::scenario
