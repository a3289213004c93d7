// Installations from split sets, and the faults a real disk brings: a part of the set gone, a
// volume that fills up, a file in the way of the $OEM$ copy or of the answer file.

#include "install_session.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

testing::ImagePlan imageWithData(int files, std::size_t bytes) {
    testing::ImagePlan image = windowsLikeImage();
    for (int i = 0; i < files; ++i) {
        image.files.emplace_back("Windows/data" + std::to_string(i) + ".bin",
                                 testing::pseudoRandomText(bytes, static_cast<std::uint32_t>(i + 1)));
    }
    return image;
}

// A three-part set D:\sources\install.swm, install2.swm, install3.swm.
void writeSplitSet(SimMachineFixture& m) {
    writeInstallImage(m, "whole.wim", imageWithData(3, 400000));
    fs::create_directories(m.host("D/sources"));
    ASSERT_EQ(testing::splitWim(m.host("whole.wim"), m.host("D/sources/install.swm"), 450000), "");
    ASSERT_TRUE(m.hostFileExists("D/sources/install3.swm"));
    ASSERT_FALSE(m.hostFileExists("D/sources/install4.swm"));
}

// Every file under the host folder with its content.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[fs::relative(entry.path(), folder).string()] = bytes.str();
    }
    return files;
}

TEST(InstallFaults, ASplitSetChosenByItsFirstPartReferencesTheOthersAndInstalls) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeSplitSet(m);
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ImageFile:D:\\sources\\install.swm", L"/Index:1", L"/ApplyDrv:E:"});
    run.start();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(callsContaining(*machine, L"WIMSetReferenceFile"),
              (std::vector<std::wstring>{L"WIMSetReferenceFile D:\\sources\\install2.swm 0x10000",
                                         L"WIMSetReferenceFile D:\\sources\\install3.swm 0x10000"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.readHostFile("E/Windows/data" + std::to_string(i) + ".bin"),
                  testing::pseudoRandomText(400000, static_cast<std::uint32_t>(i + 1)));
    }
}

TEST(InstallFaults, ASplitSetWithAPartMissingEndsInTheErrorBox) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeSplitSet(m);
    fs::remove(m.host("D/sources/install3.swm"));
    auto machine = m.machine();
    ProgramRun run(machine, {L"/ImageFile:D:\\sources\\install.swm", L"/Index:1", L"/ApplyDrv:E:"});
    StatusLog status(run);
    run.start();
    startInstallation(run);
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 2");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    const auto texts = status.texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) {
        return t.starts_with(L"에러 발생: E:\\Windows\\data") && t.ends_with(L".bin Err = 2");
    })) << "the file whose data is missing is named";
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
}

TEST(InstallFaults, AVolumeThatFillsUpStopsTheApplyWith112AndTouchesNothingElse) {
    SimMachineFixture m;
    writeInstallImage(m, "D/sources/install.wim", imageWithData(1, 400000));
    m.description().merge_patch(installMachine(m));
    m.description()["disks"][1]["partitions"][1]["size"] = 450000;
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    run.start();
    const std::string imageBytes = m.readHostFile("D/sources/install.wim");
    std::map<std::string, std::map<std::string, std::string>> others;
    for (const char* folder : {"C", "D", "esp0", "esp1"}) others[folder] = contentsOf(m.host(folder));

    // The image fits when it is checked; another program fills the volume while the
    // confirmation waits.
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"설치 확인");
    m.writeHostFile("E/other/download.bin", std::string(100000, 'x'));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 112");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_FALSE(m.hostFileExists("E/Windows/data0.bin"));
    EXPECT_EQ(m.readHostFile("E/other/download.bin"), std::string(100000, 'x'));
    EXPECT_EQ(m.readHostFile("D/sources/install.wim"), imageBytes);
    for (const auto& [folder, files] : others) EXPECT_EQ(contentsOf(m.host(folder)), files) << folder;
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
}

// The apply fails for want of room while the cancel question is open: the worker closes the
// question unanswered, and the failure is reported as the library's own, not as a cancel.
TEST(InstallFaults, AnApplyFailingUnderTheCancelQuestionIsNotTakenForACancel) {
    SimMachineFixture m;
    writeInstallImage(m, "D/sources/install.wim", imageWithData(1, 400000));
    m.description().merge_patch(installMachine(m));
    m.description()["disks"][1]["partitions"][1]["size"] = 450000;
    auto machine = m.machine();
    machine->holdApplies(true);
    ProgramRun run(machine, installArguments());
    run.start();
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"설치 확인");
    m.writeHostFile("E/other/download.bin", std::string(100000, 'x'));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
    ASSERT_TRUE(run.user().waitIdle());

    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"주 의");
    machine->releaseApply();
    const SeenBox error = waitBox(run, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 112");
    ASSERT_TRUE(run.user().click("MessageBoxOk"));
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
}

TEST(InstallFaults, AReadOnlyFileAtAnOemDestinationFailsOnlyItsOwnFolder) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$$/Setup/Scripts/SetupComplete.cmd", "echo done");
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/a.inf", "new a");
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/locked.inf", "new locked");
    m.writeHostFile("D/oem/$OEM$/$1/Tools/tool.cfg", "a folder after the locked one");
    m.writeHostFile("D/oem/$OEM$/$1/z.txt", "after the locked one");
    m.writeHostFile("D/oem/$OEM$/$Progs/Tool/tool.exe", "MZ tool");
    m.writeHostFile("E/Drivers/locked.inf", "old locked");
    // No write permission for the owner: the machine's read-only attribute.
    fs::permissions(m.host("E/Drivers/locked.inf"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/OemPath:D:\\oem\\$OEM$"}));
    run.start();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 2.\r\n");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(m.readHostFile("E/Drivers/locked.inf"), "old locked");
    EXPECT_EQ(m.readHostFile("E/Drivers/a.inf"), "new a");
    EXPECT_EQ(m.readHostFile("E/Tools/tool.cfg"), "a folder after the locked one");
    EXPECT_EQ(m.readHostFile("E/z.txt"), "after the locked one");
    EXPECT_EQ(m.readHostFile("E/Windows/Setup/Scripts/SetupComplete.cmd"), "echo done");
    EXPECT_EQ(m.readHostFile("E/Program Files/Tool/tool.exe"), "MZ tool");
    EXPECT_EQ(callsContaining(*machine, L"CopyFileW D:\\oem\\$OEM$\\$1\\Drivers\\locked.inf").size(), 1u);
}

// A $OEM$ file whose destination the image has just written replaces it.
TEST(InstallFaults, AnOemFileReplacesAWritableFileTheImageBrought) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$1/Users/Public/readme.txt", "from oem");
    m.writeHostFile("D/oem/$OEM$/$$/System32/winload.efi", "MZ patched loader");
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/OemPath:D:\\oem\\$OEM$"}));
    run.start();
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 2.\r\n");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_EQ(m.readHostFile("E/Users/Public/readme.txt"), "from oem");
    EXPECT_EQ(m.readHostFile("E/Windows/System32/winload.efi"), "MZ patched loader");
}

// The Windows-like image without its own answer file, and so without a Panther folder.
testing::ImagePlan imageWithoutPanther() {
    testing::ImagePlan image = windowsLikeImage();
    std::erase_if(image.files, [](const auto& file) { return file.first.starts_with("Windows/Panther/"); });
    return image;
}

// The answer file lands as \Windows\Panther\unattend.xml whatever stands in its way: no Panther
// folder at all, or a read-only, hidden unattend.xml left there before.
TEST(InstallFaults, TheAnswerFileMakesItsFolderOrReplacesAProtectedFileThere) {
    for (const bool leftOver : {false, true}) {
        SCOPED_TRACE(leftOver ? "a protected file there" : "no Panther folder");
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeInstallImage(m, "D/sources/install.wim", imageWithoutPanther());
        m.writeHostFile("D/unattend.xml", "<unattend chosen/>");
        if (leftOver) m.writeHostFile("E/Windows/Panther/unattend.xml", "<unattend of an earlier Windows/>");
        auto machine = m.machine();
        if (leftOver) {
            machine->fileAttributes().set(m.host("E/Windows/Panther/unattend.xml"),
                                          kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem);
        }
        ProgramRun run(machine, installArguments({L"/XmlFile:D:\\unattend.xml"}));
        run.start();
        startInstallation(run);
        EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\nXML: 1.");
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), "<unattend chosen/>");
    }
}

// An answer file counts from two bytes on, also when it shrinks while the image is applied: a
// file of one byte by then is not placed, and the image's own answer file stays.
TEST(InstallFaults, AnAnswerFileThatShrankToOneByteDuringTheApplyIsNotPlaced) {
    for (const std::string bytes : {"x", "xy"}) {
        SCOPED_TRACE(bytes.size());
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeInstallImage(m);
        m.writeHostFile("D/unattend.xml", "<unattend chosen/>");
        auto machine = m.machine();
        machine->holdApplies(true);
        ProgramRun run(machine, installArguments({L"/XmlFile:D:\\unattend.xml"}));
        run.start();
        ASSERT_EQ(run.ui().text(controls::XmlEdit), L"D:\\unattend.xml");
        startInstallation(run);
        ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
        m.writeHostFile("D/unattend.xml", bytes);
        machine->releaseApply();
        const bool placed = bytes.size() > 1;
        EXPECT_EQ(answerBox(run, "Ok").text,
                  std::wstring(L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n") + (placed ? L"XML: 1." : L""));
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), placed ? bytes : "<unattend from the image/>");
    }
}

}  // namespace
}  // namespace halvora::scenario
