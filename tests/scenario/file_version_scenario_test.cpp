// Version texts read from files of a simulated machine, through the same calls as on Windows.

#include "app/file_version.hpp"
#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

class CountingSystem : public sim::SimSystem {
public:
    using SimSystem::SimSystem;
    std::unique_ptr<VersionLibrary> loadVersionLibrary() override {
        ++loads;
        return SimSystem::loadVersionLibrary();
    }
    int loads = 0;
};

const std::wstring kWimgapi = L"C:\\Windows\\System32\\wimgapi.dll";

TEST(FileVersionScenario, FileVersionAloneIsTheBareText) {
    SimMachineFixture fixture;
    CountingSystem system(fixture.machine(), {});
    EXPECT_EQ(fileVersionText(system, kWimgapi, kFileVersion, false), kWimgapiVersion);
    EXPECT_EQ(fileVersionText(system, L"c:\\windows\\system32\\WIMGAPI.DLL", kFileVersion, false), kWimgapiVersion);
}

TEST(FileVersionScenario, LabelsAndLanguageAreJoinedBySingleLineFeeds) {
    SimMachineFixture fixture;
    CountingSystem system(fixture.machine(), {});
    EXPECT_EQ(fileVersionText(system, kWimgapi, kFileVersion | kLanguage, true),
              L"FileVersion:\t10.0.19041.1\nLanguage:\tEnglish (United States)");
    // Keys come in table order whatever the mask; missing keys are left out.
    EXPECT_EQ(fileVersionText(system, kWimgapi, kProductName | kFileVersion | kComments, true),
              L"FileVersion:\t10.0.19041.1\nProductName:\tMicrosoft Windows");
}

// Every key of the table, down to the last one, Comments, and the language after them.
TEST(FileVersionScenario, EveryKeyIsReadInTableOrderDownToTheComments) {
    SimMachineFixture fixture;
    const std::vector<std::string> keys = {"FileVersion",      "FileDescription", "LegalCopyright", "InternalName",
                                           "OriginalFilename", "ProductName",     "ProductVersion", "CompanyName",
                                           "LegalTrademarks",  "SpecialBuild",    "PrivateBuild",   "Comments"};
    json strings = json::object();
    for (const auto& key : keys) strings[key] = "the " + key;
    fixture.description()["versionResources"]["C:\\Windows\\System32\\full.dll"] = {
        {"translation", {1042, 1200}}, {"strings", strings}, {"languageName", "Korean"}};
    fixture.writeHostFile("C/Windows/System32/full.dll", "MZ");
    CountingSystem system(fixture.machine(), {});
    std::wstring expected;
    for (const auto& key : keys) expected += fromUtf8(key + ":\tthe " + key + "\n");
    expected += L"Language:\tKorean";
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32\\full.dll", 0x1FFF, true), expected);
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32\\full.dll", kComments, false), L"the Comments");
}

TEST(FileVersionScenario, MissingFileIsEmptyWithoutLoadingVersionDll) {
    SimMachineFixture fixture;
    CountingSystem system(fixture.machine(), {});
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32\\nothing.dll", kFileVersion, true), L"");
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32", kFileVersion, true), L"");
    EXPECT_EQ(system.loads, 0);
}

TEST(FileVersionScenario, FileWithoutResourceOrTranslationGivesWhatItCan) {
    SimMachineFixture fixture;
    fixture.writeHostFile("C/Windows/System32/plain.dll", "MZ");
    fixture.description()["versionResources"]["C:\\Windows\\System32\\odd.dll"] = {
        {"strings", {{"FileVersion", "1.2.3.4"}}}, {"languageName", "Korean"}};
    fixture.writeHostFile("C/Windows/System32/odd.dll", "MZ");
    CountingSystem system(fixture.machine(), {});
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32\\plain.dll", kFileVersion | kLanguage, true), L"");
    // Without a translation the string table cannot be addressed; the language is empty.
    EXPECT_EQ(fileVersionText(system, L"C:\\Windows\\System32\\odd.dll", kFileVersion | kLanguage, true),
              L"Language:\t");
}

TEST(FileVersionScenario, WithoutVersionDllEverythingIsEmpty) {
    SimMachineFixture fixture(json{{"versionDllMissing", true}});
    CountingSystem system(fixture.machine(), {});
    EXPECT_EQ(fileVersionText(system, kWimgapi, kFileVersion, false), L"");
    EXPECT_EQ(system.loads, 1);
}

TEST(FileVersionScenario, TitleEndsInVWhenTheLibraryHasNoVersion) {
    SimMachineFixture fixture;
    fixture.description()["versionResources"] = json::object();
    ProgramRun run(fixture.machine());
    run.start();
    EXPECT_EQ(run.ui().text(controls::MainWindow), L"Halvora   20H1 ADK   WimGAPI v");
    ASSERT_TRUE(run.user().click("InfoMark"));
    EXPECT_EQ(run.ui()
                  .text(controls::MessageBoxText)
                  .rfind(L"Halvora v0.7.7.0 x64\r\n20H1 ADK\r\nWimGAPI v\r\nWindows 8 이상 호환", 0),
              0u);
    ASSERT_TRUE(run.user().click("MessageBoxOk"));
}

}  // namespace
}  // namespace halvora::scenario
