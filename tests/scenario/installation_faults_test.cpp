// Installations from split sets, and the faults a real disk brings: a part of the set gone, a
// volume that fills up, a file in the way of the $OEM$ copy or of the answer file.

#include "folder_contents.hpp"
#include "install_session.hpp"
#include "ui/message_box.hpp"

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

// A start refused for its split set: the error box and field 3 name the part, and nothing was
// referenced, loaded, applied or written to the target.
void expectRefusedBeforeAnything(SimMachineFixture& m, ProgramRun& run, const StatusLog& status,
                                 const std::wstring& text) {
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, text);
    EXPECT_EQ(error.icon, kIconError);
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(status.showed(text));
    sim::SimMachine& machine = *m.machine();
    for (const wchar_t* call : {L"WIMSetReferenceFile", L"WIMLoadImage", L"WIMApplyImage", L"CreateProcessW"}) {
        EXPECT_TRUE(callsContaining(machine, call).empty()) << toUtf8(call);
    }
    EXPECT_TRUE(testing::folderContents(m.host("E")).empty());
    EXPECT_TRUE(testing::folderContents(m.host("esp1")).empty());
}

// Each part is checked before the installation is even confirmed: that it is there, that it is
// an image, and that it is of this set and is the part its name says.
TEST(InstallFaults, ASplitSetWithAPartMissingOrNotOfTheSetIsRefusedBeforeTheConfirmation) {
    const struct {
        const char* what;
        void (*spoil)(SimMachineFixture&);
        const wchar_t* text;
    } cases[] = {
        {"the last part missing", [](SimMachineFixture& m) { fs::remove(m.host("D/sources/install3.swm")); },
         L"분할 파일을 찾을 수 없습니다: D:\\sources\\install3.swm"},
        {"another set's second part",
         [](SimMachineFixture& m) {
             writeInstallImage(m, "other.wim", imageWithData(3, 400000));
             fs::create_directories(m.host("other"));
             ASSERT_EQ(testing::splitWim(m.host("other.wim"), m.host("other/install.swm"), 450000), "");
             fs::copy_file(m.host("other/install2.swm"), m.host("D/sources/install2.swm"),
                           fs::copy_options::overwrite_existing);
         },
         L"분할 파일이 맞지 않습니다: D:\\sources\\install2.swm"},
        {"the third part under the second's name",
         [](SimMachineFixture& m) {
             fs::copy_file(m.host("D/sources/install3.swm"), m.host("D/sources/install2.swm"),
                           fs::copy_options::overwrite_existing);
         },
         L"분할 파일이 맞지 않습니다: D:\\sources\\install2.swm"},
        {"an empty second part", [](SimMachineFixture& m) { m.writeHostFile("D/sources/install2.swm", ""); },
         L"빈 파일 입니다: D:\\sources\\install2.swm"},
        {"a second part that is no image",
         [](SimMachineFixture& m) { m.writeHostFile("D/sources/install2.swm", std::string(4096, 'x')); },
         L"이미지 파일이 아니거나 손상된 파일 입니다. (에러 코드: 13) D:\\sources\\install2.swm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        writeSplitSet(m);
        c.spoil(m);
        ProgramRun run(m.machine(), {L"/ImageFile:D:\\sources\\install.swm", L"/Index:1", L"/ApplyDrv:E:"});
        StatusLog status(run);
        run.start();
        ASSERT_TRUE(run.user().click("InstallButton"));
        expectRefusedBeforeAnything(m, run, status, c.text);
    }
}

// A command-line start is refused the same way, without counting down a confirmation first.
TEST(InstallFaults, ACommandLineStartOfASplitSetWithAPartMissingStopsAtTheErrorBox) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeSplitSet(m);
    fs::remove(m.host("D/sources/install2.swm"));
    ProgramRun run(m.machine(), {L"/ImageFile:D:\\sources\\install.swm", L"/Index:1", L"/ApplyDrv:E:", L"/ApplyStart"});
    StatusLog status(run);
    run.start();
    expectRefusedBeforeAnything(m, run, status, L"분할 파일을 찾을 수 없습니다: D:\\sources\\install2.swm");
}

// A part taken away while the confirmation waits is found when the parts are referenced for the
// apply: still before anything is written.
TEST(InstallFaults, APartRemovedWhileTheConfirmationWaitsStopsTheStart) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeSplitSet(m);
    ProgramRun run(m.machine(), {L"/ImageFile:D:\\sources\\install.swm", L"/Index:1", L"/ApplyDrv:E:"});
    StatusLog status(run);
    run.start();
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"설치 확인");
    fs::remove(m.host("D/sources/install3.swm"));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    expectRefusedBeforeAnything(m, run, status, L"분할 파일을 찾을 수 없습니다: D:\\sources\\install3.swm");
    EXPECT_EQ(callsContaining(*m.machine(), L"WIMCloseHandle").size(),
              callsContaining(*m.machine(), L"WIMCreateFile").size())
        << "every file opened is closed again";
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
    for (const char* folder : {"C", "D", "esp0", "esp1"}) others[folder] = testing::folderContents(m.host(folder));

    // The image fits when it is checked; another program fills the volume while the
    // confirmation waits.
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(waitBox(run).title, L"설치 확인");
    m.writeHostFile("E/other/download.bin", std::string(100000, 'x'));
    ASSERT_TRUE(run.user().click("MessageBoxYes"));
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 112\r\nE:\\Windows\\data0.bin");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_FALSE(m.hostFileExists("E/Windows/data0.bin"));
    EXPECT_EQ(m.readHostFile("E/other/download.bin"), std::string(100000, 'x'));
    EXPECT_EQ(m.readHostFile("D/sources/install.wim"), imageBytes);
    for (const auto& [folder, files] : others) EXPECT_EQ(testing::folderContents(m.host(folder)), files) << folder;
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());

    // The file belongs to that failure only: a later apply that fails without naming one (here
    // a cancel) shows none.
    fs::remove(m.host("E/other/download.bin"));
    machine->holdApplies(true);
    startInstallation(run);
    ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
    ASSERT_TRUE(run.user().click("InstallButton"));
    EXPECT_EQ(answerBox(run, "Yes").title, L"주 의");
    ASSERT_TRUE(run.user().waitIdle());
    machine->releaseApply();
    EXPECT_EQ(answerBox(run, "Ok").text, L"사용자 취소. 중단 완료. \r\n에러 코드: 1235");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
}

TEST(InstallFaults, AnInstallationWritesNothingThroughAHostLinkLeadingOffTheTarget) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    // E:\Windows is, on the host, C:'s Windows folder: the machine does not go there.
    fs::create_symlink(m.host("C/Windows"), m.host("E/Windows"));
    const auto before = testing::folderContents(m.host("C"));
    auto machine = m.machine();
    ProgramRun run(machine, installArguments());
    StatusLog status(run);
    run.start();
    startInstallation(run);
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 3\r\nE:\\Windows");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(status.showed(L"에러 발생: E:\\Windows Err = 3"));
    EXPECT_EQ(testing::folderContents(m.host("C")), before);
    EXPECT_TRUE(callsContaining(*machine, L"CreateProcessW").empty());
}

TEST(InstallFaults, AnImageHoldingItsOwnPathCannotReplaceItselfAndTheInstallationFails) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    testing::ImagePlan image = windowsLikeImage();
    image.files.emplace_back("sources/install.wim", "what the image says is there");
    writeInstallImage(m, "E/sources/install.wim", image);
    const std::string wim = m.readHostFile("E/sources/install.wim");
    auto machine = m.machine();
    // The image lies on the drive it is installed to, at a path the image itself holds.
    ProgramRun run(machine, {L"/ImageFile:E:\\sources\\install.wim", L"/Index:1", L"/ApplyDrv:E:"});
    StatusLog status(run);
    run.start();
    startInstallation(run);
    const SeenBox error = answerBox(run, "Ok");
    EXPECT_EQ(error.title, L"에 러");
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 32\r\nE:\\sources\\install.wim");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_TRUE(status.showed(L"에러 발생: E:\\sources\\install.wim Err = 32"));
    for (const auto& text : status.texts())
        EXPECT_EQ(text.find(L"이미지 설치 완료"), std::wstring::npos) << toUtf8(text);
    EXPECT_EQ(m.readHostFile("E/sources/install.wim"), wim);
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
    EXPECT_EQ(error.text, L"중단 완료. \r\n에러 코드: 112\r\nE:\\Windows\\data0.bin");
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
    // Two of the three folders went; the line says that one did not.
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 2/3.\r\n");
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

// Customisations that were chosen but could not be placed keep their lines in the summary: the
// $OEM$ folder and the answer file went away after they were chosen.
TEST(InstallFaults, ChosenCustomisationsThatCouldNotBePlacedAreSaidInTheSummary) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    m.writeHostFile("D/oem/$OEM$/$1/Drivers/a.inf", "a");
    m.writeHostFile("D/oem/unattend.xml", "<unattend/>");
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/OemPath:D:\\oem\\$OEM$", L"/XmlFile:D:\\oem\\unattend.xml"}));
    run.start();
    ASSERT_EQ(run.ui().text(controls::OemEdit), L"D:\\oem\\$OEM$\\");
    fs::remove_all(m.host("D/oem/$OEM$"));
    fs::remove(m.host("D/oem/unattend.xml"));
    startInstallation(run);
    EXPECT_EQ(answerBox(run, "Ok").text, L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n$OEM$: 0.\r\nXML: 0.");
    ASSERT_TRUE(run.user().waitIdle());
    expectIdle(run);
    EXPECT_FALSE(m.hostFileExists("E/Drivers/a.inf"));
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
// file of one byte by then is not placed (the summary says so), and the image's own answer
// file stays.
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
                  std::wstring(L"이미지 설치 완료.\r\nBCDBOOT 성공. \r\n\r\n") + (placed ? L"XML: 1." : L"XML: 0."));
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
        EXPECT_EQ(m.readHostFile("E/Windows/Panther/unattend.xml"), placed ? bytes : "<unattend from the image/>");
    }
}

}  // namespace
}  // namespace halvora::scenario
