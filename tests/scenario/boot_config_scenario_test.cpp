// The boot configuration on simulated disks: the old BIOS store an installation starts afresh
// from, and the boot repair command with its refusals, confirmations and results.

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "install_session.hpp"

namespace halvora::scenario {
namespace {

// A store of the machine's boot tool with one entry, for a Windows on F:.
const char* const kOldStore =
    R"({"default": "{00000000-0000-0000-0000-0000000000f1}", "entries": [{"identifier": "{00000000-0000-0000-0000-0000000000f1}", "device": "F:", "path": "\\Windows\\system32\\winload.exe", "locale": "en-us"}]})";

// The install disk is an MBR disk whose only partition, E:, is active: it is its own boot
// location, and the firmware chosen for it is BIOS.
json mbrTargetDisk(SimMachineFixture& m) {
    return {{"style", "MBR"}, {"partitions", {partitionOf(m, 1, "E", {{"letter", "E"}, {"active", true}})}}};
}

// The devices of the BIOS store on E:, default first; the boot tool keeps the existing file's
// name, or writes Boot\BCD.
std::vector<std::string> storeDevices(SimMachineFixture& m) {
    for (const char* name : {"E/boot/bcd", "E/boot/BCD", "E/Boot/BCD"}) {
        if (!m.hostFileExists(name)) continue;
        const json store = json::parse(m.readHostFile(name));
        std::vector<std::string> devices;
        for (const auto& entry : store["entries"]) {
            const bool isDefault = entry["identifier"] == store["default"];
            devices.insert(isDefault ? devices.begin() : devices.end(), entry["device"].get<std::string>());
        }
        return devices;
    }
    return {};
}

TEST(BootStore, AnInstallationWithBiosFilesOnItsOwnVolumeStartsFromAnEmptyStore) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m, mbrTargetDisk(m)));
    writeInstallImage(m);
    m.writeHostFile("E/boot/bcd", kOldStore);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    // Protected as Windows leaves it: read-only, hidden, system.
    ASSERT_TRUE(run.system().setFileAttributes(L"E:\\boot\\bcd", 0x7));
    run.start();
    ASSERT_EQ(run.ui().cell(controls::BootRow, 0, 0), L"E:");
    ASSERT_EQ(run.ui().comboItem(controls::BootFirmwareCombo, run.ui().comboSelection(controls::BootFirmwareCombo)),
              L"BIOS");
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    ASSERT_TRUE(run.user().waitIdle());

    const long deleted = callIndex(*machine, L"DeleteFileW E:\\boot\\bcd");
    ASSERT_GE(deleted, 0);
    EXPECT_LT(deleted, callIndex(*machine, L"CreateProcessW"));
    EXPECT_EQ(storeDevices(m), (std::vector<std::string>{"E:"}));
    EXPECT_EQ(m.readHostFile("E/bootmgr"), "boot manager pcat");
}

TEST(BootStore, KeepingTheOldEntryOrWritingUefiFilesLeavesTheOldStore) {
    const struct {
        const char* name;
        std::vector<std::wstring> arguments;
        int firmware;  // the item of the firmware list, -1: the one chosen for the disk
        std::vector<std::string> devices;
    } cases[] = {
        {"/d", {L"/d"}, -1, {"F:", "E:"}},
        {"UEFI", {}, 2, {"F:"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m, mbrTargetDisk(m)));
        writeInstallImage(m);
        m.writeHostFile("E/boot/bcd", kOldStore);
        auto machine = m.machine();
        ProgramRun run(machine, installArguments(c.arguments));
        run.start();
        if (c.firmware >= 0) {
            ASSERT_TRUE(run.user().chooseComboItem("BootFirmwareCombo", c.firmware));
        }
        startInstallation(run);
        EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
        ASSERT_TRUE(run.user().waitIdle());
        EXPECT_TRUE(callsContaining(*machine, L"DeleteFileW").empty());
        EXPECT_EQ(storeDevices(m), c.devices);
    }
}

TEST(BootRepair, IsRefusedUntilBothLocationsAndAnInstalledWindowsAreThere) {
    const struct {
        const char* name;
        std::vector<std::wstring> arguments;
        bool windowsOnE;
        const wchar_t* message;
    } cases[] = {
        {"no boot location", {L"/ApplyDrv:E:", L"/BootDrv:-"}, true, L"부팅 위치가 지정되어야 합니다."},
        {"no install location", {L"/BootDrv:Q:"}, true, L"설치 위치가 지정되어야 합니다."},
        {"no Windows on it", {L"/ApplyDrv:E:"}, false, L"윈도우가 설치 위치에 정상적으로 설치 되어 있어야 합니다."},
        {"a plain partition to boot from",
         {L"/ApplyDrv:E:", L"/BootDrv:C:"},
         true,
         L"부팅 위치가 ESP 혹은 ACT 가 아닙니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        if (c.windowsOnE) m.writeHostFile("E/Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi");
        auto machine = m.machine();
        ProgramRun run(machine, c.arguments);
        run.start();
        ASSERT_TRUE(run.user().click("BootRepairButton"));
        EXPECT_FALSE(run.ui().isWindow("MessageBox"));
        EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), c.message);
        expectIdle(run);
        EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
    }
}

TEST(BootRepair, TheRunningSystemsDiskIsConfirmedWithAWarningAndNoCancels) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    m.writeHostFile("C/Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi");
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ApplyDrv:C:"});
    run.start();
    ASSERT_EQ(run.ui().cell(controls::BootRow, 0, 0), L"P:");
    ASSERT_TRUE(run.user().click("BootRepairButton"));
    const SeenBox box = answerBox(run, "No");
    EXPECT_EQ(box.title, L"BCDBOOT 부팅 설정 복구");
    EXPECT_EQ(box.text,
              L"선택한 부팅 위치는\r\n현재 시스템 드라이브와 같은 디스크에 있습니다!\r\n부팅 설정 복구를 시작할까요?");
    EXPECT_EQ(box.icon, -161);
    EXPECT_EQ(box.defaultCaption, L"No");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
}

// A search still winding down after its file was chosen is a worker alive: a boot repair asked
// for meanwhile does not start, and once the search has ended it does.
TEST(BootRepair, WaitsUntilASearchStillRunningHasEnded) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("E/Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi");
    m.writeHostFile("E/images/notes.txt", "the search is held here");
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ApplyDrv:E:"});
    run.start();
    auto& gate = machine->listingGate();
    gate.hold(L"E:\\images");
    ASSERT_TRUE(run.user().click("SearchButton"));
    ASSERT_TRUE(run.user().waitUntil([&] { return gate.waiting(L"E:\\images") == 1; }));
    int found = -1;
    for (int row = 0; row < run.ui().rowCount(controls::SearchResultList); ++row) {
        if (run.ui().cell(controls::SearchResultList, row, 0) == L"D:\\sources\\install.wim") found = row;
    }
    ASSERT_GE(found, 0);
    ASSERT_TRUE(run.user().doubleClickRow("SearchResultList", found));
    ASSERT_TRUE(run.user().waitIdle());
    ASSERT_TRUE(run.ui().isVisible(controls::MainPanel));
    ASSERT_TRUE(run.program().state.SearchWorkerAlive.load());

    ASSERT_TRUE(run.user().click("BootRepairButton"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_FALSE(run.ui().isWindow("MessageBox"));
    EXPECT_FALSE(run.program().state.Busy.load());

    gate.release(L"E:\\images");
    ASSERT_TRUE(run.user().waitUntil([&] { return !run.program().state.SearchWorkerAlive.load(); }));
    ASSERT_TRUE(run.user().waitIdle());
    ASSERT_TRUE(run.user().click("BootRepairButton"));
    EXPECT_EQ(answerBox(run, "Yes").text, L"부팅 설정 복구를 시작합니다!");
    EXPECT_EQ(answerBox(run, "Ok").text, L"BCDBOOT를 이용한 부팅 설정 완료!");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(callsContaining(*machine, L"Bcdboot.exe").size(), 1u);
}

TEST(BootRepair, RunsBcdbootAloneAndReportsItsResultInABox) {
    const struct {
        const char* name;
        json bcdboot;
        const wchar_t* title;
        const wchar_t* text;
        int icon;
        const wchar_t* status;
    } cases[] = {
        {"success", true, L"알 림", L"BCDBOOT를 이용한 부팅 설정 완료!", -16783, L"BCDBOOT 성공. "},
        {"copy error",
         {{"exitCode", 193}},
         L"주 의",
         L"BCDBOOT 오류 발생!\r\n*BCDBOOT 부팅 파일 복사 오류: 193. ",
         -161,
         L"*BCDBOOT 부팅 파일 복사 오류: 193. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        m.description()["bcdboot"] = c.bcdboot;
        m.writeHostFile("E/Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi");
        auto machine = m.machine();
        ProgramRun run(machine, {L"/ApplyDrv:E:", L"/after:Finish"});
        run.start();
        ASSERT_TRUE(run.user().click("BootRepairButton"));
        const SeenBox confirm = answerBox(run, "Yes");
        EXPECT_EQ(confirm.text, L"부팅 설정 복구를 시작합니다!");
        EXPECT_EQ(confirm.icon, -16783);
        const SeenBox result = answerBox(run, "Ok");
        EXPECT_EQ(result.title, c.title);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(result.icon, c.icon);
        ASSERT_TRUE(run.user().waitIdle());
        EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), c.status);
        expectIdle(run);  // the after-install choice belongs to installations
        EXPECT_FALSE(run.program().state.BootRepairMode);
        EXPECT_TRUE(callsContaining(*machine, L"WIMApplyImage").empty());
        const auto bcdboot = callsContaining(*machine, L"Bcdboot.exe");
        ASSERT_EQ(bcdboot.size(), 1u);
        EXPECT_NE(bcdboot.front().find(L" E:\\Windows /l ko-KR /s Q: /f UEFI -> exit"), std::wstring::npos)
            << toUtf8(bcdboot.front());
    }
}

TEST(BootRepair, LeavesAnOldBiosStoreOnTheInstallVolumeAlone) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m, mbrTargetDisk(m)));
    m.writeHostFile("E/Windows/Boot/PCAT/bootmgr", "boot manager pcat");
    m.writeHostFile("E/boot/bcd", kOldStore);
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ApplyDrv:E:"});
    run.start();
    ASSERT_EQ(run.ui().cell(controls::BootRow, 0, 7), L"ACT");
    ASSERT_TRUE(run.user().click("BootRepairButton"));
    EXPECT_EQ(answerBox(run, "Yes").title, L"BCDBOOT 부팅 설정 복구");
    EXPECT_EQ(answerBox(run, "Ok").title, L"알 림");
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(callsContaining(*machine, L"DeleteFileW").empty());
    EXPECT_EQ(storeDevices(m), (std::vector<std::string>{"E:", "F:"}));
}

}  // namespace
}  // namespace halvora::scenario
