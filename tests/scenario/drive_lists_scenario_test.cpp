// The drive pickers and the chosen locations on simulated disks: what is listed with which icon,
// how an install location brings its boot location and firmware type, the command line's
// drive options, and the checks before a format.

#include "base/utf.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_format.hpp"
#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

// A partition of `size` bytes whose files live in the host folder `folder`.
json partition(SimMachineFixture& m, int number, const std::string& folder, json extra = json::object()) {
    std::filesystem::create_directories(m.host(folder));
    json p = {{"number", number}, {"folder", m.host(folder).string()}, {"size", 1073741824}};
    p.merge_patch(extra);
    return p;
}

json gptEsp(SimMachineFixture& m, int number, const std::string& folder, const char* letter = nullptr) {
    json extra = {
        {"gptType", kEspType}, {"gptName", "EFI system partition"}, {"fileSystem", "FAT32"}, {"size", 104857600}};
    if (letter) extra["letter"] = letter;
    return partition(m, number, folder, extra);
}

json disk(int number, const char* style, json partitions, json extra = json::object()) {
    json d = {{"number", number}, {"style", style}, {"partitions", std::move(partitions)}};
    d.merge_patch(extra);
    return d;
}

// C: on a GPT system disk with an unlettered ESP, E: on a second GPT disk with its own ESP;
// D:, P: and Q: are plain drives on no disk, so they are never listed, and the ESPs get R: and S:.
json twoGptDisks(SimMachineFixture& m) {
    for (const char* folder : {"P", "Q"}) std::filesystem::create_directories(m.host(folder));
    return {{"drives", {{"C", nullptr}, {"P", m.host("P").string()}, {"Q", m.host("Q").string()}}},
            {"disks",
             {disk(0, "GPT", {gptEsp(m, 1, "esp0"), partition(m, 3, "C", {{"letter", "C"}, {"label", "Windows"}})},
                   {{"bus", 17}, {"vendor", "Samsung"}, {"product", "SSD 970"}}),
              disk(1, "GPT", {gptEsp(m, 1, "esp1"), partition(m, 2, "E", {{"letter", "E"}, {"label", "Target"}})},
                   {{"bus", 11}, {"product", "WDC WD10"}})}}};
}

std::vector<std::wstring> column(sim::SimToolkit& ui, const std::string& list, int c) {
    std::vector<std::wstring> cells;
    for (int r = 0; r < ui.rowCount(list); ++r) cells.push_back(ui.cell(list, r, c));
    return cells;
}

std::wstring rowIconName(sim::SimToolkit& ui, const std::string& list, int row) {
    const int icon = ui.rowIcon(list, row);
    const auto icons = ui.listIcons(list);
    if (icon < 0 || icon >= static_cast<int>(icons.size())) return L"none";
    const std::wstring& file = icons[icon].file;
    return file.substr(file.find_last_of(L'\\') + 1) + L"," + std::to_wstring(icons[icon].index);
}

int rowOf(sim::SimToolkit& ui, const std::string& list, const std::wstring& drive) {
    for (int r = 0; r < ui.rowCount(list); ++r) {
        if (ui.cell(list, r, 0) == drive) return r;
    }
    return -1;
}

// Picks `drive` in a picker as a person does: open the panel, click the row, "선택 완료".
void pick(ProgramRun& run, const std::string& which, const std::wstring& drive) {
    auto& user = run.user();
    ASSERT_TRUE(user.click(which + "Button")) << user.lastError();
    const int row = rowOf(run.ui(), which + "DriveList", drive);
    ASSERT_GE(row, 0) << "not listed";
    ASSERT_TRUE(user.clickRow(which + "DriveList", row)) << user.lastError();
    ASSERT_TRUE(user.click(which + "DoneButton")) << user.lastError();
}

std::wstring status(ProgramRun& run) { return run.ui().statusText(controls::StatusBar, 3); }

TEST(DriveLists, TwoGptDisksListEspsOnlyForBootAndChoosingETakesTheEspOfItsDisk) {
    SimMachineFixture m;
    m.description().merge_patch(twoGptDisks(m));
    m.writeHostFile("E/data.bin", std::string(300000, 'x'));
    auto machine = m.machine();
    ASSERT_TRUE(machine);
    ProgramRun run(machine);
    run.start();
    auto& ui = run.ui();

    EXPECT_EQ(column(ui, "TargetDriveList", 0), (std::vector<std::wstring>{L"C:", L"E:"}));
    EXPECT_EQ(column(ui, "BootDriveList", 0), (std::vector<std::wstring>{L"C:", L"E:", L"R:", L"S:"}));
    const int r = rowOf(ui, "BootDriveList", L"R:");
    EXPECT_EQ(ui.cell(controls::BootDriveList, r, 3), L"EFI system partition");
    EXPECT_EQ(ui.cell(controls::BootDriveList, r, 7), L"ESP");
    EXPECT_EQ(ui.cell(controls::BootDriveList, r, 8), L"Samsung SSD 970 ");
    EXPECT_EQ(ui.cell(controls::TargetDriveList, 1, 4), L"1.00 GB");
    EXPECT_EQ(ui.cell(controls::TargetDriveList, 1, 9), L"300000");
    EXPECT_EQ(ui.cell(controls::TargetDriveList, 1, 10), std::to_wstring(1073741824 - 300000));
    EXPECT_EQ(ui.columnWidth(controls::TargetDriveList, 3), 205);
    EXPECT_EQ(ui.columnWidth(controls::BootRow, 12), 0);
    EXPECT_EQ(ui.columnAlignment(controls::TargetRow, 6), ColumnAlign::Centre);

    pick(run, "Target", L"E:");
    EXPECT_TRUE(ui.isVisible(controls::MainPanel));
    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 0), L"E:");
    EXPECT_EQ(ui.cell(controls::BootRow, 0, 0), L"S:");
    EXPECT_EQ(ui.selectedRow(controls::BootDriveList), rowOf(ui, "BootDriveList", L"S:"));
    EXPECT_EQ(ui.comboSelection(controls::BootFirmwareCombo), 2);
    EXPECT_EQ(status(run), L"같은 디스크에 있는 GPT EFI 시스템 파티션(GPT ESP) 을 찾았습니다.");
    const auto match = run.program().state.Colours.lvMatch;
    EXPECT_EQ(ui.cellColours(controls::TargetRow, 0, 1), std::make_pair(match.text, match.background));
    EXPECT_EQ(ui.cellColours(controls::BootRow, 0, 1), std::make_pair(match.text, match.background));
    EXPECT_EQ(rowIconName(ui, "BootRow", 0), L"halvora.exe,2");
    EXPECT_EQ(ui.text(controls::TargetUsedLabel), L"292 KB");
    EXPECT_EQ(ui.text(controls::BootUsedLabel), L"");
    EXPECT_EQ(bootLocationNote(run.program()), L"");

    // The ESP of the other disk picked by hand: no same-disk mark, the install location stays.
    pick(run, "Boot", L"R:");
    EXPECT_EQ(ui.cell(controls::BootRow, 0, 0), L"R:");
    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 0), L"E:");
    EXPECT_EQ(ui.cellColours(controls::BootRow, 0, 1), std::make_pair(kDefaultColour, kDefaultColour));
    EXPECT_EQ(ui.cellColours(controls::TargetRow, 0, 1), std::make_pair(kDefaultColour, kDefaultColour));
    EXPECT_EQ(status(run), L"R: 선택");

    // A refresh keeps both choices as they are, reads the volumes again and searches nothing.
    m.writeHostFile("E/more.bin", std::string(1024 * 1024, 'y'));
    ASSERT_TRUE(run.user().click("TargetButton"));
    ASSERT_TRUE(run.user().click("TargetRefreshButton"));
    EXPECT_EQ(ui.cell(controls::BootRow, 0, 0), L"R:");
    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 9), std::to_wstring(300000 + 1024 * 1024));
    EXPECT_EQ(ui.text(controls::TargetUsedLabel), L"1.28 MB");
    EXPECT_EQ(status(run), L"R: 선택");
    EXPECT_TRUE(ui.isEnabled(controls::TargetRefreshButton));
    ASSERT_TRUE(run.user().click("TargetCancelButton"));

    ASSERT_TRUE(run.user().click("BootClearButton"));
    EXPECT_EQ(ui.cell(controls::BootRow, 0, 0), L"");
    EXPECT_EQ(rowIconName(ui, "BootRow", 0), L"none");
    EXPECT_EQ(ui.text(controls::BootUsedLabel), L"");
    EXPECT_EQ(bootLocationNote(run.program()), L"ESP 무시.");

    ASSERT_TRUE(run.user().requestClose("MainWindow"));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_FALSE(machine->hostPath(L"R:\\"));
    EXPECT_FALSE(machine->hostPath(L"S:\\"));
}

struct BootCase {
    const char* name;
    std::function<json(SimMachineFixture&)> disks;
    const wchar_t* target;
    const wchar_t* boot;  // "" for none
    int firmware;
    const wchar_t* message;
};

json mbr(SimMachineFixture& m, int number, const char* folder, const char* letter, int type, bool active) {
    return partition(m, number, folder, {{"letter", letter}, {"mbrType", type}, {"active", active}});
}

TEST(BootLocation, TheInstallLocationsDiskDecidesTheBootPartitionAndFirmware) {
    const std::vector<BootCase> cases = {
        {"MBR disk with C: active alone",
         [](SimMachineFixture& m) { return json::array({disk(0, "MBR", {mbr(m, 1, "C", "C", 7, true)})}); }, L"C:",
         L"C:", 1, L"같은 디스크에 있는 활성 파티션(ACT) 을 찾았습니다."},
        {"MBR disk with an active partition and a 0xEF one",
         [](SimMachineFixture& m) {
             return json::array({disk(
                 0, "MBR",
                 {mbr(m, 1, "C", "C", 7, false), mbr(m, 2, "K", "K", 7, true), mbr(m, 3, "L", "L", 0xEF, false)})});
         },
         L"C:", L"K:", 1, L"같은 디스크에 있는 활성 파티션(ACT) 을 찾았습니다."},
        {"MBR disk with a 0xEF partition alone",
         [](SimMachineFixture& m) {
             return json::array({disk(0, "MBR", {mbr(m, 1, "C", "C", 7, false), mbr(m, 2, "L", "L", 0xEF, false)})});
         },
         L"C:", L"L:", 2, L"같은 디스크에 있는 MBR EFI 시스템 파티션(MBR ESP) 을 찾았습니다."},
        {"MBR disk without a boot partition",
         [](SimMachineFixture& m) { return json::array({disk(0, "MBR", {mbr(m, 1, "C", "C", 7, false)})}); }, L"C:",
         L"", 0, L"같은 디스크에 활성 파티션(ACT) 이 없습니다."},
        {"two ESPs on one GPT disk",
         [](SimMachineFixture& m) {
             return json::array(
                 {disk(0, "GPT",
                       {gptEsp(m, 1, "e1", "T"), gptEsp(m, 2, "e2", "U"), partition(m, 3, "C", {{"letter", "C"}})})});
         },
         L"C:", L"U:", 2, L"같은 디스크에 있는 GPT EFI 시스템 파티션(GPT ESP) 을 찾았습니다."},
        {"GPT disk whose ESP is the first row of the boot list",
         [](SimMachineFixture& m) {
             return json::array({disk(0, "GPT", {gptEsp(m, 1, "e1", "B"), partition(m, 2, "C", {{"letter", "C"}})})});
         },
         L"C:", L"B:", 2, L"같은 디스크에 있는 GPT EFI 시스템 파티션(GPT ESP) 을 찾았습니다."},
        {"MBR disk whose 0xEF partition is the first row of the boot list",
         [](SimMachineFixture& m) {
             return json::array({disk(0, "MBR", {mbr(m, 1, "B", "B", 0xEF, false), mbr(m, 2, "C", "C", 7, false)})});
         },
         L"C:", L"B:", 2, L"같은 디스크에 있는 MBR EFI 시스템 파티션(MBR ESP) 을 찾았습니다."},
        {"GPT disk whose ESP lies on another disk",
         [](SimMachineFixture& m) {
             return json::array({disk(0, "GPT", {partition(m, 1, "C", {{"letter", "C"}})}),
                                 disk(1, "GPT", {gptEsp(m, 1, "e1", "T")})});
         },
         L"C:", L"", 0, L"같은 디스크에 EFI 시스템 파티션(ESP) 이 없습니다."},
        {"RAW disk",
         [](SimMachineFixture& m) {
             return json::array({disk(0, "RAW", {partition(m, 1, "C", {{"letter", "C"}})})});
         },
         L"C:", L"", 0, L"C: 선택"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimMachineFixture m;
        m.description().merge_patch({{"drives", {{"C", nullptr}}}});
        m.description()["disks"] = c.disks(m);
        auto machine = m.machine();
        ASSERT_TRUE(machine);
        ProgramRun run(machine);
        run.start();
        pick(run, "Target", c.target);
        EXPECT_EQ(run.ui().cell(controls::BootRow, 0, 0), c.boot);
        EXPECT_EQ(run.ui().comboSelection(controls::BootFirmwareCombo), c.firmware);
        EXPECT_EQ(status(run), c.message);
    }
}

TEST(BootLocation, NoteWarnsWhenTheBootPartitionDoesNotSuitTheInstallDisk) {
    SimMachineFixture m;
    m.description().merge_patch({{"drives", {{"C", nullptr}}}});
    m.description()["disks"] = json::array(
        {disk(0, "GPT", {partition(m, 1, "C", {{"letter", "C"}})}),
         disk(1, "MBR",
              {mbr(m, 1, "K", "K", 7, true), mbr(m, 2, "L", "L", 0xEF, false), mbr(m, 3, "N", "N", 7, false)})});
    auto machine = m.machine();
    ProgramRun run(machine);
    run.start();
    pick(run, "Target", L"C:");
    pick(run, "Boot", L"K:");  // an active MBR partition for a GPT install
    EXPECT_EQ(bootLocationNote(run.program()), L"ESP 무시.");
    EXPECT_EQ(run.ui().comboSelection(controls::BootFirmwareCombo), 1);
    pick(run, "Target", L"N:");
    pick(run, "Boot", L"L:");  // an MBR ESP suits an MBR install
    EXPECT_EQ(bootLocationNote(run.program()), L"");
    EXPECT_EQ(run.ui().comboSelection(controls::BootFirmwareCombo), 2);
    pick(run, "Boot", L"C:");
    EXPECT_EQ(bootLocationNote(run.program()), L"ACT 무시.");
}

TEST(DriveLists, IconsSayWhatKindOfVolumeARowIsAndOtherDriveKindsAreNeverListed) {
    SimMachineFixture m;
    for (const char* folder : {"cd", "net", "ram"}) std::filesystem::create_directories(m.host(folder));
    m.description().merge_patch({{"drives", {{"C", nullptr}}},
                                 {"cdroms", {{{"letter", "V"}, {"folder", m.host("cd").string()}}}},
                                 {"otherDrives",
                                  {{{"letter", "X"}, {"kind", "network"}, {"folder", m.host("net").string()}},
                                   {{"letter", "Y"}, {"kind", "ramdisk"}, {"folder", m.host("ram").string()}}}}});
    m.description()["disks"] =
        json::array({disk(0, "GPT", {partition(m, 1, "C", {{"letter", "C"}}), partition(m, 2, "F", {{"letter", "F"}})}),
                     disk(1, "MBR", {mbr(m, 1, "U", "U", 12, true)}, {{"bus", 7}, {"removable", true}}),
                     disk(2, "GPT", {gptEsp(m, 1, "ve", "G"), partition(m, 2, "H", {{"letter", "H"}})}, {{"bus", 15}}),
                     disk(3, "MBR", {mbr(m, 1, "I", "I", 7, false)}, {{"bus", 14}})});
    auto machine = m.machine();
    ProgramRun run(machine);
    run.start();
    auto& ui = run.ui();
    EXPECT_EQ(column(ui, "BootDriveList", 0), (std::vector<std::wstring>{L"C:", L"F:", L"G:", L"H:", L"I:", L"U:"}));
    const std::vector<std::wstring> icons = {L"imageres.dll,-36", L"imageres.dll,-35", L"halvora.exe,4",
                                             L"halvora.exe,3",    L"halvora.exe,3",    L"halvora.exe,1"};
    for (int r = 0; r < 6; ++r) EXPECT_EQ(rowIconName(ui, "BootDriveList", r), icons[r]) << r;
    EXPECT_EQ(column(ui, "TargetDriveList", 0), (std::vector<std::wstring>{L"C:", L"F:", L"H:", L"I:", L"U:"}));
    EXPECT_EQ(rowIconName(ui, "TargetDriveList", 4), L"halvora.exe,1");
    EXPECT_EQ(ui.cell(controls::BootDriveList, 5, 11), L"2");
    EXPECT_EQ(ui.cell(controls::BootDriveList, 5, 7), L"ACT");
    // The icon travels with the row into the chosen location, whatever list it came from.
    pick(run, "Target", L"U:");
    EXPECT_EQ(rowIconName(ui, "TargetRow", 0), L"halvora.exe,1");
    EXPECT_EQ(rowIconName(ui, "BootRow", 0), L"halvora.exe,1");
}

TEST(DriveLists, TheCommandLineChoosesTheInstallAndBootLocations) {
    struct Case {
        std::vector<std::wstring> arguments;
        const wchar_t* target;
        const wchar_t* boot;
    };
    const std::vector<Case> cases = {
        {{L"/ApplyDrv:e:\\"}, L"E:", L"S:"},
        {{L"/ApplyDrv:E:", L"/BootDrv:*"}, L"E:", L"S:"},
        {{L"/ApplyDrv:E:", L"/BootDrv:-"}, L"E:", L""},
        {{L"/ApplyDrv:E:", L"/BootDrv:r:"}, L"E:", L"R:"},
        {{L"/ApplyDrv:E:", L"/BootDrv:Z:"}, L"E:", L""},
        {{L"/ApplyDrv:Q:"}, L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.arguments.back()));
        SimMachineFixture m;
        m.description().merge_patch(twoGptDisks(m));
        ProgramRun run(m.machine(), c.arguments);
        run.start();
        EXPECT_EQ(run.ui().cell(controls::TargetRow, 0, 0), c.target);
        EXPECT_EQ(run.ui().cell(controls::BootRow, 0, 0), c.boot);
    }
}

TEST(DriveFormat, ChecksRefuseTheSystemItsEspAndMbrEspsAndAFormatShowsTheEmptiedVolume) {
    SimMachineFixture m2;
    m2.description().merge_patch(twoGptDisks(m2));
    json mbrDisk = disk(2, "MBR", {mbr(m2, 1, "M", "M", 0xEF, false)});
    m2.description()["disks"].push_back(mbrDisk);
    m2.writeHostFile("E/old/file.txt", std::string(5000, 'z'));
    auto machine2 = m2.machine();
    ASSERT_TRUE(machine2);
    ProgramRun run(machine2);
    run.start();
    Program& p = run.program();
    auto& ui = run.ui();

    EXPECT_FALSE(checkFormatTarget(p, L"K:", true));
    EXPECT_EQ(status(run), L"드라이브를 지정하세요.");
    EXPECT_FALSE(checkFormatTarget(p, L"c:\\", false));
    EXPECT_EQ(status(run), L"드라이브를 지정하세요.");  // nothing shown without the flag
    EXPECT_FALSE(checkFormatTarget(p, L"C:\\", true));
    EXPECT_EQ(status(run), L"선택한 드라이브는 현재 사용 중인 시스템 드라이브 입니다.");
    EXPECT_FALSE(checkFormatTarget(p, L"M:", true));
    EXPECT_EQ(status(run), L"MBR ESP. 포맷하면 EF 값이 변경되어 일반 파티션으로 변경 됩니다.");

    pick(run, "Target", L"C:");  // brings R:, the ESP of the system disk
    ASSERT_EQ(ui.cell(controls::BootRow, 0, 0), L"R:");
    ASSERT_TRUE(run.user().click("BootFormatButton"));
    EXPECT_EQ(status(run), L"선택한 드라이브는 현재 시스템 드라이브와 같은 디스크에 있는 ESP 입니다.");
    const auto calls = machine2->calls();
    EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const std::wstring& call) {
        return call.find(L"SHFormatDrive") != std::wstring::npos;
    }));

    pick(run, "Target", L"E:");
    p.state.Busy = true;
    EXPECT_FALSE(checkFormatTarget(p, L"E:", true));
    p.state.Busy = false;
    EXPECT_TRUE(checkFormatTarget(p, L"E:", true));

    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 9), L"5000");
    run.user().answerNextFormat(true, L"NTFS", L"Fresh");
    ASSERT_TRUE(run.user().click("TargetFormatButton")) << run.user().lastError();
    EXPECT_FALSE(m2.hostFileExists("E/old/file.txt"));
    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 3), L"Fresh");
    EXPECT_EQ(ui.cell(controls::TargetRow, 0, 9), L"0");
    EXPECT_EQ(ui.text(controls::TargetUsedLabel), L"");
    const int row = rowOf(ui, "TargetDriveList", L"E:");
    EXPECT_EQ(ui.cell(controls::TargetDriveList, row, 3), L"Fresh");
}

}  // namespace
}  // namespace halvora::scenario
