// The program over simulated disks: EFI system partitions get a letter while it runs, and GPT
// ones lose theirs when it ends.

#include "sim_session.hpp"

#include <algorithm>

namespace halvora::scenario {
namespace {

json espMachine(SimMachineFixture& m, bool espMountedAsS) {
    for (const char* folder : {"esp", "esp2", "win", "p", "q"}) std::filesystem::create_directories(m.host(folder));
    json esp = {{"number", 1}, {"gptType", "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}"}, {"gptName", "EFI system partition"},
                {"fileSystem", "FAT32"}, {"size", 104857600}, {"folder", m.host("esp").string()}};
    if (espMountedAsS) esp["letter"] = "S:";
    return {{"disks",
             {{{"number", 0}, {"style", "GPT"}, {"bus", 17},
               {"partitions", {esp, {{"number", 2}, {"letter", "W"}, {"folder", m.host("win").string()}}}}},
              {{"number", 1}, {"style", "MBR"}, {"bus", 7}, {"removable", true},
               {"partitions", {{{"number", 1}, {"mbrType", 0xEF}, {"active", true}, {"fileSystem", "FAT32"},
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

}  // namespace
}  // namespace halvora::scenario
