// Choosing an install image and seeing what is in it: real WIM, SWM and ESD files made with
// wimlib, opened through the simulated machine's imaging library.

#include <algorithm>

#include "base/utf.hpp"
#include "images/image_file.hpp"
#include "sim_session.hpp"
#include "ui/main_window_layout.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

using testing::ImagePlan;
using testing::WimCompression;
using testing::WimPlan;

ImagePlan image(std::vector<std::pair<std::string, std::string>> properties) {
    ImagePlan plan;
    plan.properties = std::move(properties);
    plan.files = {{"Windows/System32/config.txt", "content"}};
    return plan;
}

// Three images as a technician meets them: a Korean x64 edition, an ARM64 WIMBoot image
// without a name, and one with neither name nor product name.
WimPlan threeImages() {
    WimPlan plan;
    plan.images = {
        image({{"NAME", "Windows 10 Pro"},
               {"DESCRIPTION", "윈도우 10 프로 & 오피스"},
               {"DISPLAYNAME", "Windows 10 Pro"},
               {"DISPLAYDESCRIPTION", "Windows 10 Pro 설명"},
               {"WINDOWS/ARCH", "9"},
               {"WINDOWS/PRODUCTNAME", "Microsoft Windows Operating System"},
               {"WINDOWS/VERSION/MAJOR", "10"},
               {"WINDOWS/VERSION/MINOR", "0"},
               {"WINDOWS/VERSION/BUILD", "19041"},
               {"WINDOWS/VERSION/SPBUILD", "1"},
               {"WINDOWS/LANGUAGES/DEFAULT", "ko-KR"}}),
        image({{"WINDOWS/ARCH", "12"}, {"WINDOWS/PRODUCTNAME", "Windows ARM"}, {"WIMBOOT", "1"}}),
        image({{"WINDOWS/ARCH", "5"}}),
    };
    return plan;
}

class ImageListScenario : public ::testing::Test {
protected:
    void makeWim(const std::string& relative, const WimPlan& plan) {
        std::filesystem::create_directories(fixture_.host(relative).parent_path());
        ASSERT_EQ(testing::writeWim(fixture_.host(relative), plan), "");
    }
    void start(std::vector<std::wstring> arguments = {}) {
        run_ = std::make_unique<ProgramRun>(fixture_.machine(), std::move(arguments));
        run_->start();
    }
    sim::SimToolkit& ui() { return run_->ui(); }
    sim::ScriptedUser& user() { return run_->user(); }
    std::wstring status() { return ui().statusText(controls::StatusBar, 3); }
    std::vector<std::wstring> calls(const std::wstring& prefix) {
        std::vector<std::wstring> found;
        for (const auto& call : fixture_.machine()->calls()) {
            if (call.rfind(prefix, 0) == 0) found.push_back(call);
        }
        return found;
    }
    void chooseImage(const std::wstring& answer) {
        user().answerNextDialog(answer);
        ASSERT_TRUE(user().click("ImageFileButton")) << user().lastError();
    }
    void toggleOption(int item) {
        ASSERT_TRUE(user().click("OptionsButton")) << user().lastError();
        ASSERT_TRUE(user().chooseMenuItem("OptionsMenu", item)) << user().lastError();
    }
    std::vector<std::wstring> row(int r) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < 12; ++c) cells.push_back(ui().cell(controls::ImageList, r, c));
        return cells;
    }
    void expectNoFaults() { EXPECT_TRUE(ui().faults().empty()) << ui().faults().front(); }

    SimMachineFixture fixture_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(ImageListScenario, CommandLineImageListsEveryImageAndSelectsTheIndex) {
    makeWim("D/sources/install.wim", threeImages());
    start({L"/ImageFile:D:\\sources\\install.wim", L"/Index:2"});

    ASSERT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_EQ(ui().selectedRow(controls::ImageList), 1);
    EXPECT_EQ(ui().text(controls::ImageIndexEdit), L"2");
    EXPECT_EQ(ui().text(controls::DescriptionEdit), L"Windows ARM");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\sources\\install.wim");
    EXPECT_EQ(status(), L"ImageCount: 3  TotalParts: 1  속성: 0x8 RP_FIX  압축방식: LZX");

    const auto first = row(0);
    EXPECT_EQ(std::vector<std::wstring>(first.begin(), first.begin() + 9),
              (std::vector<std::wstring>{L"1", L"Windows 10 Pro", L"x64", L"0", L"ko-KR", L"10.0.19041.1",
                                         L"윈도우 10 프로 & 오피스", L"Windows 10 Pro", L"Windows 10 Pro 설명"}));
    EXPECT_GT(std::stoll(first[9]), 0) << "the image's own size";
    // Times in the machine's locale, ko-KR: "yyyy-MM-dd H:mm", in UTC.
    const std::wstring created = first[10];
    ASSERT_GE(created.size(), 15u) << toUtf8(created);
    EXPECT_EQ(created.substr(4, 1) + created.substr(7, 1) + created.substr(10, 1), L"-- ") << toUtf8(created);
    EXPECT_EQ(created[created.size() - 3], L':') << toUtf8(created);
    EXPECT_EQ(row(1)[1], L"Windows ARM") << "no NAME: the product name";
    EXPECT_EQ(row(1)[2], L"ARM64");
    EXPECT_EQ(row(1)[5], L"...");
    EXPECT_EQ(row(2)[1], L"");
    EXPECT_EQ(row(2)[2], L"5");
    EXPECT_EQ(row(2)[6], L"");

    // The selected image is a WIMBoot image: its menu item can be used.
    EXPECT_TRUE(ui().isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot));
    ASSERT_TRUE(user().clickRow("ImageList", 0));
    EXPECT_EQ(ui().text(controls::ImageIndexEdit), L"1");
    EXPECT_EQ(ui().text(controls::DescriptionEdit), L"윈도우 10 프로 & 오피스");
    expectNoFaults();
}

TEST_F(ImageListScenario, PreferredRowOutOfRangeSelectsTheFirst) {
    WimPlan two = threeImages();
    two.images.pop_back();
    makeWim("D/two.wim", two);
    for (const wchar_t* index : {L"/Index:3", L"/Index:x", L"/Index:0"}) {
        start({L"D:\\two.wim", index});
        EXPECT_EQ(ui().rowCount(controls::ImageList), 2) << index;
        EXPECT_EQ(ui().selectedRow(controls::ImageList), 0) << index;
        EXPECT_EQ(ui().text(controls::ImageIndexEdit), L"1") << index;
        // The first image is not WIMBoot: the item stays off.
        EXPECT_FALSE(ui().isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot));
        run_.reset();
    }
}

TEST_F(ImageListScenario, RequesterFilterAndStartFolderFollowTheMachine) {
    struct Case {
        int major, minor;
        bool virtDisk;
        const wchar_t* filter;
    };
    for (const Case& c : {Case{10, 0, true, L"*.WIM; *.SWM; *.ESD; *.ISO|*.WIM;*.SWM;*.ESD;*.ISO|"},
                          Case{10, 0, false, L"*.WIM; *.SWM; *.ESD|*.WIM;*.SWM;*.ESD|"},
                          Case{6, 1, true, L"*.WIM; *.SWM|*.WIM;*.SWM|"}}) {
        SimMachineFixture machine(json{{"windowsVersion", {{"major", c.major}, {"minor", c.minor}}}});
        if (!c.virtDisk) std::filesystem::remove(machine.host("C/Windows/System32/VirtDisk.dll"));
        std::filesystem::create_directories(machine.host("D/sources"));
        ASSERT_EQ(testing::writeWim(machine.host("D/sources/install.wim"), threeImages()), "");
        ProgramRun run(machine.machine());
        run.start();
        run.user().answerNextDialog(L"D:\\sources\\install.wim");
        ASSERT_TRUE(run.user().click("ImageFileButton"));
        run.user().answerNextDialog(L"");
        ASSERT_TRUE(run.user().click("ImageFileButton"));
        std::vector<std::wstring> dialogs;
        for (const auto& call : machine.machine()->calls()) {
            if (call.rfind(L"GetOpenFileNameW", 0) == 0) dialogs.push_back(call);
        }
        ASSERT_EQ(dialogs.size(), 2u);
        EXPECT_EQ(dialogs[0], std::wstring(L"GetOpenFileNameW title=파일 선택... start= filter=") + c.filter +
                                  L" index=0 nochangedir");
        // The second time it starts in the folder of the file now listed; a cancel changes nothing.
        EXPECT_EQ(dialogs[1], std::wstring(L"GetOpenFileNameW title=파일 선택... start=D:\\sources\\ filter=") +
                                  c.filter + L" index=0 nochangedir");
        EXPECT_EQ(run.ui().rowCount(controls::ImageList), 3);
        EXPECT_TRUE(run.ui().isEnabled(controls::ImageFileButton));
    }
}

TEST_F(ImageListScenario, LaterPartOfASplitSetLoadsTheFirst) {
    WimPlan big = threeImages();
    std::string noise(3 * 1024 * 1024, '\0');
    std::uint32_t x = 12345;
    for (char& ch : noise) ch = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    big.images[0].files.push_back({"big.bin", noise});
    makeWim("D/whole.wim", big);
    std::filesystem::create_directories(fixture_.host("D/split"));
    ASSERT_EQ(testing::splitWim(fixture_.host("D/whole.wim"), fixture_.host("D/split/install.swm"), 1024 * 1024), "");
    ASSERT_TRUE(fixture_.hostFileExists("D/split/install2.swm"));
    start();

    chooseImage(L"D:\\split\\install2.swm");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\split\\install.swm");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_NE(status().find(L"TotalParts: "), std::wstring::npos);
    EXPECT_NE(status().find(L" SPANNED"), std::wstring::npos);

    // With the first part gone nothing is loaded and the list keeps what it showed.
    std::filesystem::remove(fixture_.host("D/split/install.swm"));
    makeWim("D/other.wim", WimPlan{{image({{"NAME", "Other"}})}});
    chooseImage(L"D:\\split\\install2.swm");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\split\\install.swm");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_TRUE(ui().isEnabled(controls::ImageFileButton));
    EXPECT_EQ(status(), kFirstPartMissingText + L"D:\\split\\install.swm");
}

TEST_F(ImageListScenario, EsdOpensOnlyWhereThisWindowsSupportsIt) {
    WimPlan esd = threeImages();
    esd.compression = WimCompression::Solid;
    makeWim("D/sources/install.esd", esd);
    start({L"/ImageFile:D:\\sources\\install.esd"});
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_NE(status().find(L"압축방식: LZMS"), std::wstring::npos);
    ASSERT_FALSE(calls(L"WIMCreateFile").empty());
    EXPECT_NE(calls(L"WIMCreateFile").front().find(L"0x20000000"), std::wstring::npos);
    run_.reset();

    SimMachineFixture windows7(json{{"windowsVersion", {{"major", 6}, {"minor", 1}}}});
    std::filesystem::create_directories(windows7.host("D/sources"));
    ASSERT_EQ(testing::writeWim(windows7.host("D/sources/install.esd"), esd), "");
    ProgramRun old(windows7.machine(), {L"/ImageFile:D:\\sources\\install.esd"});
    old.start();
    EXPECT_EQ(old.ui().rowCount(controls::ImageList), 0);
    EXPECT_EQ(old.ui().text(controls::ImageFileEdit), L"");
}

TEST_F(ImageListScenario, CheckOptionRefusesAFileChangedAfterCapture) {
    WimPlan checked = threeImages();
    checked.integrityTable = true;
    makeWim("D/good.wim", checked);
    makeWim("D/bad.wim", checked);
    ASSERT_EQ(testing::corruptResourceData(fixture_.host("D/bad.wim")), "");
    start();
    toggleOption(kMenuCheck);

    chooseImage(L"D:\\good.wim");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_NE(status().find(L" VERIFYY"), std::wstring::npos);
    chooseImage(L"D:\\bad.wim");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\good.wim");
    for (const auto& call : calls(L"WIMCreateFile")) EXPECT_NE(call.find(L"0x20000002"), std::wstring::npos) << call;

    // Without the check the changed file still opens.
    toggleOption(kMenuCheck);
    chooseImage(L"D:\\bad.wim");
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\bad.wim");
}

TEST_F(ImageListScenario, LogOptionWritesTheLogAndReleasesIt) {
    makeWim("D/install.wim", threeImages());
    start();
    toggleOption(kMenuLog);
    chooseImage(L"D:\\install.wim");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_TRUE(fixture_.hostFileExists("C/Temp/HalvoraWimGAPI.log"));
    EXPECT_FALSE(fixture_.readHostFile("C/Temp/HalvoraWimGAPI.log").empty());
    const auto registered = calls(L"WIMRegisterLogFile");
    // Opened twice (the check and the reading), and each time the log is released again.
    EXPECT_EQ(registered.size(), 2u);
    EXPECT_EQ(calls(L"WIMUnregisterLogFile").size(), registered.size());
    for (const auto& call : registered) EXPECT_EQ(call, L"WIMRegisterLogFile C:\\Temp\\HalvoraWimGAPI.log 1");
}

TEST_F(ImageListScenario, CompanionFilesBesideTheImageAreTakenOver) {
    makeWim("D/sources/install.wim", threeImages());
    std::filesystem::create_directories(fixture_.host("D/sources/$OEM$/$1"));
    fixture_.writeHostFile("D/unattend.xml", "<unattend root/>");
    fixture_.writeHostFile("D/sources/unattend.xml", "<unattend folder/>");
    fixture_.writeHostFile("D/autounattend.xml", "<auto root/>");
    fixture_.writeHostFile("D/sources/autounattend.xml", "12345");  // 5 bytes: not taken
    start();
    chooseImage(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().text(controls::OemEdit), L"D:\\sources\\$OEM$\\");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\autounattend.xml") << "the last one found wins";

    fixture_.writeHostFile("D/sources/autounattend.xml", "<auto folder/>");
    chooseImage(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\sources\\autounattend.xml");

    // Fields naming what has gone are cleared when the next image comes.
    std::filesystem::remove_all(fixture_.host("D/sources/$OEM$"));
    for (const char* f :
         {"D/unattend.xml", "D/sources/unattend.xml", "D/autounattend.xml", "D/sources/autounattend.xml"}) {
        std::filesystem::remove(fixture_.host(f));
    }
    chooseImage(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().text(controls::OemEdit), L"");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"");

    // An answer file already chosen stays from five bytes on; one that has shrunk below goes.
    fixture_.writeHostFile("D/answers/unattend.xml", "12345");
    user().answerNextDialog(L"D:\\answers\\unattend.xml");
    ASSERT_TRUE(user().click("XmlButton"));
    ASSERT_EQ(ui().text(controls::XmlEdit), L"D:\\answers\\unattend.xml");
    chooseImage(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\answers\\unattend.xml");
    fixture_.writeHostFile("D/answers/unattend.xml", "1234");
    chooseImage(L"D:\\sources\\install.wim");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"");
}

TEST_F(ImageListScenario, CompactColumnsShowWimBootOrLanguageByTheFirstImage) {
    WimPlan wimBootFirst = threeImages();
    std::swap(wimBootFirst.images[0], wimBootFirst.images[1]);
    makeWim("D/wimboot.wim", wimBootFirst);
    makeWim("D/plain.wim", threeImages());
    start({L"D:\\wimboot.wim"});
    const std::vector<int> compactWimBoot = {40, 417, 52, 70, 0, 145, 0, 0, 0, 0, 0, 0};
    std::vector<int> widths;
    for (int c = 0; c < 12; ++c) widths.push_back(ui().columnWidth(controls::ImageList, c));
    EXPECT_EQ(widths, compactWimBoot);
    EXPECT_EQ(ui().columnAlignment(controls::ImageList, 0), ColumnAlign::Right);
    EXPECT_EQ(ui().columnAlignment(controls::ImageList, 9), ColumnAlign::Right);
    for (int c : {2, 3, 4}) EXPECT_EQ(ui().columnAlignment(controls::ImageList, c), ColumnAlign::Centre) << c;
    EXPECT_EQ(ui().columnAlignment(controls::ImageList, 1), ColumnAlign::Left);

    chooseImage(L"D:\\plain.wim");
    EXPECT_EQ(ui().columnWidth(controls::ImageList, 3), 0);
    EXPECT_EQ(ui().columnWidth(controls::ImageList, 4), 70);

    // Full columns fit header and content, and stay full for the next file.
    ASSERT_TRUE(user().click("ImageColumnsToggle"));
    EXPECT_EQ(ui().text(controls::ImageColumnsToggle), kToggleOn);
    for (int c = 0; c < 12; ++c) EXPECT_GT(ui().columnWidth(controls::ImageList, c), 0) << c;
    EXPECT_GT(ui().columnWidth(controls::ImageList, 6), ui().columnWidth(controls::ImageList, 0));
    chooseImage(L"D:\\wimboot.wim");
    EXPECT_GT(ui().columnWidth(controls::ImageList, 11), 0);
    ASSERT_TRUE(user().click("ImageColumnsToggle"));
    EXPECT_EQ(ui().text(controls::ImageColumnsToggle), kToggleOff);
    EXPECT_EQ(ui().columnWidth(controls::ImageList, 6), 0);
    EXPECT_EQ(ui().columnWidth(controls::ImageList, 3), 70);
}

TEST_F(ImageListScenario, WimBootItemFollowsTheSelectedImage) {
    WimPlan wimBootFirst = threeImages();
    std::swap(wimBootFirst.images[0], wimBootFirst.images[1]);
    makeWim("D/wimboot.wim", wimBootFirst);
    makeWim("D/plain.wim", threeImages());
    start({L"D:\\wimboot.wim"});
    ASSERT_TRUE(ui().isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot));
    toggleOption(kMenuWimBoot);
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L" WIMboot");
    chooseImage(L"D:\\plain.wim");
    EXPECT_FALSE(ui().isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_FALSE(ui().isMenuItemChecked(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_EQ(ui().text(controls::OptionSummaryLabel), L"");
}

TEST_F(ImageListScenario, BadFilesChangeNothingAndBreakNothing) {
    makeWim("D/설치 파일/install.wim", threeImages());
    fixture_.writeHostFile("D/text.wim", "This is not an image file at all, only some text.");
    fixture_.writeHostFile("D/empty.wim", "");
    std::filesystem::create_directories(fixture_.host("D/folder.wim"));
    makeWim("D/whole.wim", threeImages());
    const std::string whole = fixture_.readHostFile("D/whole.wim");
    fixture_.writeHostFile("D/truncated.wim", whole.substr(0, whole.size() / 2));
    makeWim("D/noimages.wim", WimPlan{});
    start();

    chooseImage(L"D:\\설치 파일\\install.wim");
    ASSERT_EQ(ui().rowCount(controls::ImageList), 3);
    const std::wstring summary = status();
    // Each says in the status bar why it is not listed; a file that is not there says nothing,
    // as the requester lets no such name through.
    const std::vector<std::pair<std::wstring, std::wstring>> bad = {
        {L"D:\\text.wim", kNotAnImageText},      {L"D:\\empty.wim", kEmptyImageFileText},
        {L"D:\\truncated.wim", kNotAnImageText}, {L"D:\\missing.wim", L""},
        {L"D:\\noimages.wim", kNoImagesText},    {L"D:\\readme.txt", L""}};
    for (const auto& [file, why] : bad) {
        const std::wstring before = status();
        chooseImage(file);
        if (why.empty()) {
            EXPECT_EQ(status(), before) << file;
        } else {
            EXPECT_EQ(status().rfind(why, 0), 0u) << file << L" " << status();
            EXPECT_EQ(status().substr(status().size() - file.size()), file) << file;
        }
    }
    for (const auto& [file, why] : bad) {
        chooseImage(file);
        EXPECT_EQ(ui().rowCount(controls::ImageList), 3) << file;
        EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\설치 파일\\install.wim") << file;
        EXPECT_TRUE(ui().isEnabled(controls::ImageFileButton)) << file;
    }
    // A folder is no file: the requester opens in it, and its cancel ends the choice.
    user().answerNextDialog(L"D:\\folder.wim");
    chooseImage(L"");
    EXPECT_EQ(calls(L"GetOpenFileNameW").back(),
              L"GetOpenFileNameW title=파일 선택... start=D:\\folder.wim\\ filter=*.WIM; *.SWM; *.ESD; "
              L"*.ISO|*.WIM;*.SWM;*.ESD;*.ISO| index=0 nochangedir");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);
    EXPECT_TRUE(ui().isEnabled(controls::ImageFileButton));
    expectNoFaults();
}

TEST_F(ImageListScenario, DroppedFilesGoWhereTheyBelong) {
    makeWim("D/install.wim", threeImages());
    fixture_.writeHostFile("D/answers/Unattend.XML", "<unattend/>");
    fixture_.writeHostFile("D/answers/autounattend.xml", "<autounattend/>");
    fixture_.writeHostFile("D/answers/other.xml", "<other/>");
    std::filesystem::create_directories(fixture_.host("D/custom/$oem$/$$"));
    fixture_.writeHostFile("D/image.Iso", "not really an ISO");
    start();

    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\answers\\Unattend.XML"}));
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\answers\\Unattend.XML");
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\answers\\autounattend.xml"}));
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\answers\\autounattend.xml");
    // Only the two names an answer file has are taken for one.
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\answers\\other.xml"}));
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\answers\\autounattend.xml");
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\custom\\$oem$", L"D:\\install.wim"}));
    EXPECT_EQ(ui().text(controls::OemEdit), L"D:\\custom\\$oem$\\");
    EXPECT_EQ(ui().rowCount(controls::ImageList), 0) << "only the first dropped file counts";
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\image.Iso"}));
    EXPECT_EQ(ui().rowCount(controls::ImageList), 0);
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\install.wim"}));
    EXPECT_EQ(ui().rowCount(controls::ImageList), 3);

    // While an installation runs a drop is ignored.
    makeWim("D/other.wim", WimPlan{{image({{"NAME", "Other"}})}});
    run_->program().state.Busy = true;
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\other.wim"}));
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\install.wim");
    run_->program().state.Busy = false;
    // And so it is while a picker panel is in front.
    ASSERT_TRUE(user().click("TargetButton"));
    ASSERT_TRUE(user().dropFiles("MainWindow", {L"D:\\other.wim"}));
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"D:\\install.wim");
}

TEST_F(ImageListScenario, OemAndAnswerFileDialogsAndTheOverlapNote) {
    makeWim("D/sources/install.wim", threeImages());
    fixture_.writeHostFile("D/oem/$$/Panther/unattend.xml", "<from oem/>");
    fixture_.writeHostFile("D/my.xml", "<mine/>");
    fixture_.writeHostFile("D/tiny.xml", "x");
    start({L"D:\\sources\\install.wim"});

    user().answerNextDialog(L"D:\\oem");
    ASSERT_TRUE(user().click("OemButton"));
    EXPECT_EQ(ui().text(controls::OemEdit), L"D:\\oem\\");
    EXPECT_EQ(calls(L"IFileOpenDialog").back(), L"IFileOpenDialog default=D:\\sources\\ setFolder=1 options=0x860");

    user().answerNextDialog(L"D:\\tiny.xml");
    ASSERT_TRUE(user().click("XmlButton"));
    EXPECT_EQ(ui().text(controls::XmlEdit), L"") << "an answer file of one byte is none";
    user().answerNextDialog(L"D:\\my.xml");
    ASSERT_TRUE(user().click("XmlButton"));
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\my.xml");
    EXPECT_EQ(status(), L"<XML 파일> <$OEM$ 위치> 의 xml 중복시 <XML 파일> 복사.");
    EXPECT_EQ(calls(L"GetOpenFileNameW").back(),
              L"GetOpenFileNameW title=파일 선택... start=D:\\sources\\ filter=unattend*.xml; "
              L"autounattend*.xml|unattend*.xml;autounattend*.xml| index=0 nochangedir");
    user().answerNextDialog(L"");
    ASSERT_TRUE(user().click("XmlButton"));
    EXPECT_NE(calls(L"GetOpenFileNameW").back().find(L" start=D:\\my.xml filter="), std::wstring::npos)
        << "starts at the chosen file";
    EXPECT_EQ(ui().text(controls::XmlEdit), L"D:\\my.xml") << "a cancel keeps the field";

    user().answerNextDialog(L"D:\\nowhere");
    ASSERT_TRUE(user().click("OemTreeButton"));
    EXPECT_EQ(ui().text(controls::OemEdit), L"D:\\oem\\");
    EXPECT_EQ(calls(L"SHBrowseForFolderW").back(), L"SHBrowseForFolderW title=$OEM$ 폴더 선택 start=D:\\oem\\");

    // From the command line an answer file of two bytes counts, one of one byte clears the field.
    fixture_.writeHostFile("D/two.xml", "<>");
    for (const auto& [argument, shown] :
         {std::pair{u"/XmlFile:D:\\two.xml|", L"D:\\two.xml"}, std::pair{u"/XmlFile:D:\\tiny.xml|", L""}}) {
        const std::u16string text = argument;
        EXPECT_EQ(user().sendCopyData(ui().text(controls::MainWindow), text.c_str(),
                                      static_cast<std::uint32_t>((text.size() + 1) * 2)),
                  1);
        ASSERT_TRUE(user().waitIdle());
        EXPECT_EQ(ui().text(controls::XmlEdit), shown);
    }

    // A hand-over with "-" clears both fields.
    const std::u16string handOver = u"/OemPath:-|/XmlFile:-|";
    EXPECT_EQ(user().sendCopyData(ui().text(controls::MainWindow), handOver.c_str(),
                                  static_cast<std::uint32_t>((handOver.size() + 1) * 2)),
              1);
    ASSERT_TRUE(user().waitIdle());
    EXPECT_EQ(ui().text(controls::OemEdit), L"");
    EXPECT_EQ(ui().text(controls::XmlEdit), L"");
    expectNoFaults();
}

TEST_F(ImageListScenario, MissingImagingLibraryListsNothingAndKeepsWorking) {
    makeWim("D/install.wim", threeImages());
    std::filesystem::remove(fixture_.host("C/Windows/System32/wimgapi.dll"));
    start({L"D:\\install.wim"});
    EXPECT_EQ(ui().rowCount(controls::ImageList), 0);
    EXPECT_EQ(ui().text(controls::ImageFileEdit), L"");
    ASSERT_TRUE(user().click("InfoMark"));
    EXPECT_TRUE(ui().isWindow("MessageBox"));
}

}  // namespace
}  // namespace halvora::scenario
