// The simulated machine itself: path mapping, the machine description, the System calls over
// host folders, Version.dll blocks, the toolkit's own rules, the virtual clock, copy-data
// delivery between runs and the scripted user's checks. The scenario tests rely on all of it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using halvora::testing::TempFolder;

// --- path mapping -----------------------------------------------------------------------------

TEST(SimPaths, ParsesDrivePathsAsWindowsNormalisesThem) {
    auto p = parseWindowsPath(L"c:\\Windows\\\\System32\\.\\");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->drive, L'C');
    EXPECT_EQ(p->components, (std::vector<std::wstring>{L"Windows", L"System32"}));
    for (const wchar_t* root : {L"D:", L"D:\\", L"d:/"}) {
        auto r = parseWindowsPath(root);
        ASSERT_TRUE(r) << root;
        EXPECT_EQ(r->drive, L'D');
        EXPECT_TRUE(r->components.empty()) << root;
    }
    EXPECT_EQ(parseWindowsPath(L"E:/a/b")->components, (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(SimPaths, RefusesPathsThatNameNoDriveFile) {
    for (const wchar_t* bad : {L"", L"C", L"Windows\\x", L"\\Windows", L"C:Windows", L"\\\\server\\share\\x",
                               L"\\\\?\\C:\\x", L"C:\\a\\..\\b", L"C:\\..", L"C:\\a:b", L"C:\\a?b", L"1:\\x"}) {
        EXPECT_FALSE(parseWindowsPath(bad)) << std::string(bad, bad + std::wcslen(bad));
    }
}

TEST(SimPaths, IsUnderComparesWholeComponentsWithoutCase) {
    const auto root = *parseWindowsPath(L"D:\\Halvora");
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"d:\\HALVORA\\HLV_xSET.ini"), root));
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"D:\\Halvora\\"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"D:\\HalvoraX\\a"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"D:\\"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"E:\\Halvora"), root));
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"E:\\x\\y"), *parseWindowsPath(L"E:")));
}

TEST(SimPaths, RelativePathsAreMadeWholeWithTheCurrentFolder) {
    const std::wstring current = L"D:\\Halvora";
    EXPECT_EQ(fullWindowsPath(L"Sample.wim", current), L"D:\\Halvora\\Sample.wim");
    EXPECT_EQ(fullWindowsPath(L"sources\\install.wim", current), L"D:\\Halvora\\sources\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"\\sources\\install.wim", current), L"D:\\sources\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"d:install.wim", current), L"D:\\Halvora\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"E:install.wim", current), L"E:\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"Sample.wim", L"C:"), L"C:\\Sample.wim");
    // A drive alone is its current folder when the process is on that drive, else its root.
    EXPECT_EQ(fullWindowsPath(L"d:", current), L"D:\\Halvora");
    EXPECT_EQ(fullWindowsPath(L"E:", L"E:\\cfg"), L"E:\\cfg");
    EXPECT_EQ(fullWindowsPath(L"E:\\", L"E:\\cfg"), L"E:\\");
    for (const wchar_t* whole : {L"E:\\x", L"E:", L"\\\\server\\share\\x", L"\\\\.\\C:", L""}) {
        EXPECT_EQ(fullWindowsPath(whole, current), whole);
    }
}

TEST(SimPaths, MapsComponentsToTheHostsSpellingIgnoringCase) {
    TempFolder t;
    t.write("c/Windows/System32/WimGapi.dll", "MZ");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\WINDOWS\\system32\\wimgapi.DLL"), t.root() / "c/Windows/System32/WimGapi.dll");
    EXPECT_EQ(mapToHost(drives, L"c:\\windows\\"), t.root() / "c/Windows");
    EXPECT_EQ(mapToHost(drives, L"C:"), t.root() / "c");
    EXPECT_EQ(mapToHost(drives, L"C:\\"), t.root() / "c");
    EXPECT_FALSE(mapToHost(drives, L"D:\\Windows"));
    EXPECT_FALSE(mapToHost(drives, L"C:\\Windows\\..\\Windows"));
    EXPECT_FALSE(mapToHost(drives, L"Windows\\System32"));
}

TEST(SimPaths, PrefersTheExactNameWhenTheHostHasSeveralCases) {
    TempFolder t;
    t.write("c/data/a.txt", "lower");
    t.write("c/data/A.txt", "upper");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\DATA\\A.txt"), t.root() / "c/data/A.txt");
    EXPECT_EQ(mapToHost(drives, L"C:\\DATA\\a.txt"), t.root() / "c/data/a.txt");
}

TEST(SimPaths, AFileNotYetThereMapsIntoItsExistingFolder) {
    TempFolder t;
    fs::create_directories(t.root() / "d/Halvora");
    const DriveFolders drives{{L'D', t.root() / "d"}};
    EXPECT_EQ(mapToHost(drives, L"D:\\HALVORA\\New.ini"), t.root() / "d/Halvora/New.ini");
    EXPECT_EQ(mapToHost(drives, L"D:\\Missing\\Sub\\x"), t.root() / "d/Missing/Sub/x");
}

TEST(SimPaths, KoreanAndAccentedNamesMatchTheHostsUtf8Names) {
    TempFolder t;
    t.write("c/설치 파일/Étape.wim", "x");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\설치 파일\\étape.WIM"), t.root() / "c/설치 파일/Étape.wim");
}

TEST(SimText, ConvertsAtTheEdgeAndReplacesBrokenUtf8) {
    EXPECT_EQ(fromUtf8("설치 ok"), L"설치 ok");
    EXPECT_EQ(toUtf8(L"설치 ok"), "설치 ok");
    EXPECT_EQ(fromUtf8("a\xff\xe4\xb8" "b"), L"a\xFFFD\xFFFD\xFFFD" L"b");
    EXPECT_EQ(fromUtf8("\xc0\x80"), L"\xFFFD\xFFFD") << "overlong NUL";
    EXPECT_EQ(toUtf8(fromUtf8("\xf0\x9f\x98\x80")), "\xf0\x9f\x98\x80");
    EXPECT_TRUE(equalsNoCase(L"SYSTEM32\\ÉTAPE", L"system32\\étape"));
    EXPECT_FALSE(equalsNoCase(L"a", L"b"));
}

// --- machine description ----------------------------------------------------------------------

TEST(SimMachineDescription, AnEmptyDescriptionIsAnOrdinaryKoreanWindows10) {
    std::string error;
    auto m = SimMachine::fromJson(json::object(), error);
    ASSERT_TRUE(m) << error;
    const auto& d = m->description();
    EXPECT_EQ(d.windowsVersion.build, 19041u);
    EXPECT_EQ(d.localeName, L"ko-KR");
    EXPECT_EQ(d.environment.at(L"SYSTEMROOT"), L"C:\\Windows");
    EXPECT_EQ(d.tempPath, L"C:\\Temp\\");
    ASSERT_TRUE(d.smallCaptionFont);
    EXPECT_EQ(d.smallCaptionFont->face, L"Segoe UI");
    EXPECT_EQ(d.dpi, 96);
}

TEST(SimMachineDescription, FieldsOfTheWrongShapeAreErrorsThatNameThem) {
    const std::vector<std::pair<json, std::string>> cases = {
        {json::array({1, 2}), "top level"},
        {{{"windowsVersion", {{"major", "ten"}}}}, "windowsVersion.major"},
        {{{"windowsVersion", {{"build", -1}}}}, "windowsVersion.build"},
        {{{"ntdllMissing", "yes"}}, "ntdllMissing"},
        {{{"environment", {{"PATH", 5}}}}, "environment.PATH"},
        {{{"tempPath", 3}}, "tempPath"},
        {{{"arguments", "/Index:2"}}, "arguments"},
        {{{"drives", {{"CD", "/tmp"}}}}, "drives.CD"},
        {{{"drives", {{"C", 1}}}}, "drives.C"},
        {{{"readOnly", {"Halvora"}}}, "readOnly"},
        {{{"versionResources", {{"wimgapi.dll", json::object()}}}}, "versionResources.wimgapi.dll"},
        {{{"versionResources", {{"C:\\x.dll", {{"translation", {1033}}}}}}}, "translation"},
        {{{"versionResources", {{"C:\\x.dll", {{"translation", {1033, 70000}}}}}}}, "translation"},
        {{{"versionResources", {{"C:\\x.dll", {{"strings", {{"FileVersion", 10}}}}}}}}, "strings.FileVersion"},
        {{{"fonts", {"Consolas", 1}}}, "fonts"},
        {{{"smallCaptionFont", {{"face", "Segoe UI"}}}}, "smallCaptionFont.height"},
        {{{"guiFont", "MS Shell Dlg"}}, "guiFont"},
        {{{"dpi", 0}}, "dpi"},
    };
    for (const auto& [description, field] : cases) {
        std::string error;
        EXPECT_FALSE(SimMachine::fromJson(description, error)) << description.dump();
        EXPECT_NE(error.find(field), std::string::npos) << description.dump() << " gave: " << error;
    }
}

TEST(SimMachineDescription, LoadReportsMissingFilesAndBadJsonAndResolvesRelativeDrives) {
    TempFolder t;
    std::string error;
    EXPECT_FALSE(SimMachine::load((t.root() / "none.json").string(), error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;

    t.write("bad.json", "{\"dpi\": 96,");
    error.clear();
    EXPECT_FALSE(SimMachine::load((t.root() / "bad.json").string(), error));
    EXPECT_NE(error.find("not valid JSON"), std::string::npos) << error;

    t.write("m/machine.json", R"({"drives": {"c:": "drive-c"}, "smallCaptionFont": null})");
    auto m = SimMachine::load((t.root() / "m/machine.json").string(), error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->drives().at(L'C'), t.root() / "m/drive-c");
    EXPECT_FALSE(m->description().smallCaptionFont);
}

// --- System over the machine ------------------------------------------------------------------

class SimSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(t.root() / "c/Temp");
        fs::create_directories(t.root() / "d/Halvora");
        description_ = {
            {"drives", {{"C", (t.root() / "c").string()}, {"D", (t.root() / "d").string()}}},
            {"readOnly", {"D:\\Halvora"}},
            {"environment", {{"SystemRoot", "C:\\Windows"}}},
            {"tempPath", "C:\\Temp"},
            {"arguments", {"/Index:2"}},
        };
    }
    std::shared_ptr<SimMachine> machine(const json& patch = json::object()) {
        json d = description_;
        d.merge_patch(patch);
        std::string error;
        auto m = SimMachine::fromJson(d, error);
        EXPECT_TRUE(m) << error;
        return m;
    }

    TempFolder t;
    json description_;
};

TEST_F(SimSystemTest, EnvironmentNamesIgnoreCaseAndAbsentVariablesStayAbsent) {
    SimSystem system(machine());
    EXPECT_EQ(system.environmentVariable(L"SYSTEMROOT"), L"C:\\Windows");
    EXPECT_EQ(system.environmentVariable(L"systemroot"), L"C:\\Windows");
    EXPECT_FALSE(system.environmentVariable(L"SYSTEMDRIVE"));
    EXPECT_EQ(system.tempPath(), L"C:\\Temp\\");
    EXPECT_EQ(system.arguments(), std::vector<std::wstring>{L"/Index:2"});
    EXPECT_TRUE(SimSystem(machine(), {}).arguments().empty());
}

TEST_F(SimSystemTest, FilesAreWrittenAndReadBackAsBytesThroughAnySpelling) {
    SimSystem system(machine());
    const std::string bytes("a\0b\r\n\xff", 6);
    ASSERT_TRUE(system.writeFile(L"C:\\temp\\Out.bin", bytes));
    EXPECT_EQ(t.read("c/Temp/Out.bin"), bytes);
    EXPECT_EQ(system.fileSize(L"c:\\TEMP\\OUT.BIN"), 6);
    std::string back;
    ASSERT_TRUE(system.readFile(L"C:\\Temp\\out.bin", back));
    EXPECT_EQ(back, bytes);
    ASSERT_TRUE(system.writeFile(L"C:\\TEMP\\OUT.bin", "x"));  // replaces, keeps the host's name
    EXPECT_EQ(t.read("c/Temp/Out.bin"), "x");
    EXPECT_EQ(system.fileSize(L"C:\\Temp"), -1);
    EXPECT_EQ(system.fileSize(L"C:\\Temp\\none"), -1);
    EXPECT_TRUE(system.folderExists(L"c:\\temp\\"));
    EXPECT_FALSE(system.folderExists(L"C:\\Temp\\Out.bin"));
    EXPECT_FALSE(system.readFile(L"C:\\Temp", back));
    ASSERT_TRUE(system.deleteFile(L"C:\\temp\\out.BIN"));
    EXPECT_FALSE(fs::exists(t.root() / "c/Temp/Out.bin"));
    EXPECT_FALSE(system.deleteFile(L"C:\\temp\\out.BIN"));
}

TEST_F(SimSystemTest, WritesFailIntoMissingFoldersOntoFoldersAndUnderReadOnlyPaths) {
    t.write("d/Halvora/HLV_xSET.ini", "old");
    SimSystem system(machine());
    EXPECT_FALSE(system.writeFile(L"C:\\NoFolder\\x.txt", "x"));
    EXPECT_FALSE(fs::exists(t.root() / "c/NoFolder"));
    EXPECT_FALSE(system.writeFile(L"C:\\Temp", "x"));
    EXPECT_FALSE(system.writeFile(L"C:\\", "x"));
    EXPECT_FALSE(system.writeFile(L"Q:\\x.txt", "x"));
    EXPECT_FALSE(system.writeFile(L"d:\\halvora\\HLV_xSET.ini", "new"));
    EXPECT_FALSE(system.deleteFile(L"D:\\Halvora\\HLV_xSET.ini"));
    EXPECT_EQ(t.read("d/Halvora/HLV_xSET.ini"), "old");
    EXPECT_TRUE(system.writeFile(L"D:\\elsewhere.txt", "ok"));
}

TEST_F(SimSystemTest, VersionAndLibrariesCanBeMissing) {
    SimSystem ordinary(machine());
    ASSERT_TRUE(ordinary.rtlGetVersion());
    EXPECT_EQ(ordinary.rtlGetVersion()->major, 10u);
    EXPECT_TRUE(ordinary.loadVersionLibrary());
    SimSystem bare(machine({{"ntdllMissing", true}, {"versionDllMissing", true}}));
    EXPECT_FALSE(bare.rtlGetVersion());
    EXPECT_FALSE(bare.loadVersionLibrary());
}

TEST_F(SimSystemTest, NamedMutexesAreSharedByRunsUntilEveryHandleIsClosed) {
    auto m = machine();
    SimSystem first(m), second(m);
    std::uint32_t error = 1;
    auto a = first.createMutex(L"Halvora{X}", error);
    EXPECT_EQ(error, 0u);
    auto b = second.createMutex(L"Halvora{X}", error);
    EXPECT_EQ(error, 183u);
    auto other = second.createMutex(L"halvora{x}", error);  // kernel object names keep case
    EXPECT_EQ(error, 0u);
    a.reset();
    auto c = first.createMutex(L"Halvora{X}", error);
    EXPECT_EQ(error, 183u) << "one handle is still open";
    b.reset();
    c.reset();
    auto d = first.createMutex(L"Halvora{X}", error);
    EXPECT_EQ(error, 0u);
    auto unnamed1 = first.createMutex(L"", error);
    auto unnamed2 = first.createMutex(L"", error);
    EXPECT_EQ(error, 0u);
    const auto calls = m->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"CreateMutexW Halvora{X}"), 4);
}

// --- Version.dll ------------------------------------------------------------------------------

class SimVersionTest : public SimSystemTest {
protected:
    std::unique_ptr<VersionLibrary> library(const json& resources) {
        system_ = std::make_unique<SimSystem>(machine({{"versionResources", resources}}));
        return system_->loadVersionLibrary();
    }
    // The calls the program makes, in its order; the value of `name` or nullopt.
    std::optional<std::wstring> query(VersionLibrary& v, const std::wstring& path, const std::wstring& name) {
        const std::uint32_t size = v.getFileVersionInfoSize(path);
        if (size == 0) return std::nullopt;
        std::vector<std::uint8_t> block;
        if (!v.getFileVersionInfo(path, size, block)) return std::nullopt;
        std::uint16_t language = 0, codePage = 0;
        if (!v.queryTranslation(block, language, codePage)) return std::nullopt;
        wchar_t table[16];
        std::swprintf(table, 16, L"%04X%04X", language, codePage);
        std::wstring value;
        if (!v.queryString(block, L"\\StringFileInfo\\" + std::wstring(table) + L"\\" + name, value)) {
            return std::nullopt;
        }
        return value;
    }
    const json wimgapi_ = {{"C:\\Windows\\System32\\wimgapi.dll",
                            {{"translation", {1033, 1200}},
                             {"strings", {{"FileVersion", "10.0.19041.1"}, {"ProductName", "Microsoft® Windows®"}}},
                             {"languageName", "영어(미국)"}}}};
    std::unique_ptr<SimSystem> system_;
};

TEST_F(SimVersionTest, TheProgramsCallSequenceReadsTheStringsWithTheirNul) {
    t.write("c/Windows/System32/WIMGAPI.DLL", "MZ");
    auto v = library(wimgapi_);
    ASSERT_TRUE(v);
    EXPECT_EQ(query(*v, L"C:\\Windows\\System32\\wimgapi.dll", L"FileVersion"), std::wstring(L"10.0.19041.1\0", 13));
    EXPECT_EQ(query(*v, L"c:\\windows\\system32\\WimGapi.dll", L"ProductName"),
              std::wstring(L"Microsoft® Windows®\0", 20));
    EXPECT_FALSE(query(*v, L"C:\\Windows\\System32\\wimgapi.dll", L"CompanyName"));
    EXPECT_EQ(v->languageName(1033), L"영어(미국)");
}

TEST_F(SimVersionTest, TheTableMustBeNamedByTheTranslationInUpperCaseHex) {
    t.write("c/Windows/System32/wimgapi.dll", "MZ");
    auto v = library(wimgapi_);
    const std::wstring path = L"C:\\Windows\\System32\\wimgapi.dll";
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(v->getFileVersionInfo(path, v->getFileVersionInfoSize(path), block));
    std::wstring value;
    EXPECT_TRUE(v->queryString(block, L"\\StringFileInfo\\040904B0\\FileVersion", value));
    EXPECT_FALSE(v->queryString(block, L"\\StringFileInfo\\040904b0\\FileVersion", value));
    EXPECT_FALSE(v->queryString(block, L"\\StringFileInfo\\041204B0\\FileVersion", value));
    EXPECT_FALSE(v->queryString(block, L"\\VarFileInfo\\040904B0\\FileVersion", value));
    // A block the program did not get from getFileVersionInfo is not read.
    EXPECT_FALSE(v->queryString(std::vector<std::uint8_t>(64, 0), L"\\StringFileInfo\\040904B0\\FileVersion", value));
    // Nor one that was cut short by too small a buffer.
    ASSERT_TRUE(v->getFileVersionInfo(path, 20, block));
    std::uint16_t language = 0, codePage = 0;
    EXPECT_FALSE(v->queryTranslation(block, language, codePage));
}

TEST_F(SimVersionTest, AResourceNeedsTheFileAnEntryAndATranslation) {
    t.write("c/Windows/System32/empty.dll", "");
    t.write("c/Windows/System32/plain.dll", "MZ");
    t.write("c/Windows/System32/notable.dll", "MZ");
    auto v = library({{"C:\\Windows\\System32\\absent.dll", {{"translation", {1033, 1200}}}},
                      {"C:\\Windows\\System32\\empty.dll", {{"translation", {1033, 1200}}}},
                      {"C:\\Windows\\System32\\notable.dll", {{"strings", {{"FileVersion", "1.0"}}}}}});
    EXPECT_EQ(v->getFileVersionInfoSize(L"C:\\Windows\\System32\\absent.dll"), 0u);
    EXPECT_EQ(v->getFileVersionInfoSize(L"C:\\Windows\\System32\\empty.dll"), 0u);
    EXPECT_EQ(v->getFileVersionInfoSize(L"C:\\Windows\\System32\\plain.dll"), 0u);
    const std::wstring notable = L"C:\\Windows\\System32\\notable.dll";
    const auto size = v->getFileVersionInfoSize(notable);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(v->getFileVersionInfo(notable, size, block));
    std::uint16_t language = 0, codePage = 0;
    EXPECT_FALSE(v->queryTranslation(block, language, codePage));
}

// --- toolkit ----------------------------------------------------------------------------------

std::shared_ptr<SimMachine> emptyMachine() {
    std::string error;
    return SimMachine::fromJson(json::object(), error);
}

TEST(SimToolkit, WindowsAreFoundByTheirCurrentTitleFromAnyRun) {
    auto m = emptyMachine();
    auto first = std::make_unique<SimToolkit>(m);
    SimToolkit second(m);
    ASSERT_EQ(first->createWindow("MainWindow", L"Halvora", {770, 510}, "", kWindowMinimiseBox), 0u);
    const std::uint64_t id = m->findWindow(L"Halvora");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, first->windowId("MainWindow"));
    first->setText("MainWindow", L"Halvora   WimGAPI v10");
    EXPECT_EQ(m->findWindow(L"Halvora"), 0u);
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), id);
    EXPECT_EQ(second.createWindow("MainWindow", L"Other", {10, 10}, "", 0), 0u);
    EXPECT_NE(m->findWindow(L"Other"), id);
    first->destroyWindow("MainWindow");
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), 0u);
    first->createWindow("MainWindow", L"Again", {10, 10}, "", 0);
    first.reset();
    EXPECT_EQ(m->findWindow(L"Again"), 0u) << "a toolkit's windows go with it";
    EXPECT_NE(m->findWindow(L"Other"), 0u);
}

TEST(SimToolkit, WindowCreationFailsForUnknownOwnersTakenNamesAndWhenTold) {
    SimToolkit ui(emptyMachine());
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "NoSuchOwner", 0), 1400u);
    ASSERT_EQ(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    EXPECT_NE(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    ui.failWindowCreation("Box", 8);
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "Main", 0), 8u);
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "Main", 0), 0u) << "only the next creation fails";
    EXPECT_FALSE(ui.isVisible("Box"));
}

TEST(SimToolkit, TheOpenFileDialogMovesTheCurrentFolderUnlessToldNotTo) {
    auto m = emptyMachine();
    SimToolkit ui(m);
    ASSERT_EQ(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    const std::wstring start = m->currentFolder();
    OpenFileRequest request;
    request.keepCurrentFolder = true;
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(ui.openFileDialog("Main", request), L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(m->currentFolder(), start);
    EXPECT_EQ(m->fullPath(L"E:"), L"E:");

    request.keepCurrentFolder = false;
    ui.queueDialogAnswer(L"");
    EXPECT_EQ(ui.openFileDialog("Main", request), L"");
    EXPECT_EQ(m->currentFolder(), start) << "a cancelled dialog goes nowhere";
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    ui.openFileDialog("Main", request);
    EXPECT_EQ(m->currentFolder(), L"E:\\cfg");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:\\cfg") << "a drive alone is now that folder";
    EXPECT_EQ(m->fullPath(L"E:\\"), L"E:\\");
    ui.queueDialogAnswer(L"F:\\top.xml");
    ui.openFileDialog("Main", request);
    EXPECT_EQ(m->fullPath(L"F:"), L"F:");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:") << "one current folder, as a process has";
}

class SimToolkitTree : public ::testing::Test {
protected:
    void SetUp() override {
        ui.createWindow("Main", L"Main", {770, 510}, "", 0);
        ui.createControl({"Panel", ControlKind::Panel, "Main", L"", {0, 0, 100, 100}});
        ui.createControl({"Button", ControlKind::Button, "Panel", L"Go", {1, 2, 3, 4}});
        ui.createControl({"List", ControlKind::List, "Main", L"", {}});
        ui.createControl({"Combo", ControlKind::Combo, "Main", L"", {}});
        ui.createControl({"Spin", ControlKind::Spin, "Panel", L"2", {}, kReadOnly});
        ui.createControl({"Check", ControlKind::Check, "Panel", L"c", {}});
        ui.createControl({"Label", ControlKind::Label, "Panel", L"l", {}});
        ui.createControl({"Bar", ControlKind::StatusBar, "Main", L"", {}});
    }
    SimToolkit ui{emptyMachine()};
};

TEST_F(SimToolkitTree, VisibilityOfAControlDependsOnEveryAncestor) {
    EXPECT_TRUE(ui.isVisible("Button"));
    EXPECT_FALSE(ui.effectivelyVisible("Button")) << "the window starts hidden";
    ui.setVisible("Main", true);
    EXPECT_TRUE(ui.effectivelyVisible("Button"));
    ui.setVisible("Panel", false);
    EXPECT_TRUE(ui.isVisible("Button"));
    EXPECT_FALSE(ui.effectivelyVisible("Button"));
    EXPECT_TRUE(ui.effectivelyVisible("List"));
    EXPECT_EQ(ui.topWindowOf("Button"), "Main");
    EXPECT_EQ(ui.childrenOf("Panel"), (std::vector<std::string>{"Button", "Spin", "Check", "Label"}));
}

TEST_F(SimToolkitTree, DestroyingAWindowTakesItsControlsOwnedWindowsAndTimers) {
    ui.createWindow("Box", L"Box", {10, 10}, "Main", 0);
    ui.createControl({"BoxOk", ControlKind::Button, "Box", L"OK", {}});
    ui.setTimer("Main", 1, 100);
    ui.setTimer("Box", 2, 100);
    ui.destroyWindow("Main");
    for (const char* name : {"Main", "Panel", "Button", "Box", "BoxOk"}) EXPECT_FALSE(ui.exists(name)) << name;
    EXPECT_FALSE(ui.timerInterval("Main", 1));
    EXPECT_FALSE(ui.timerInterval("Box", 2));
    EXPECT_TRUE(ui.windows().empty());
    EXPECT_TRUE(ui.faults().empty());
}

TEST_F(SimToolkitTree, MisuseIsRecordedAsFaults) {
    ui.setText("Nothing", L"x");
    ui.createControl({"Button", ControlKind::Button, "Main", L"dup", {}});
    ui.createControl({"Orphan", ControlKind::Button, "Missing", L"", {}});
    ui.createControl({"Inner", ControlKind::Button, "Button", L"", {}});
    ui.addRow("Combo", {L"x"});
    ui.setStatusText("Bar", 1, L"no such field yet");
    const auto faults = ui.faults();
    ASSERT_EQ(faults.size(), 6u);
    EXPECT_NE(faults[0].find("Nothing"), std::string::npos);
    EXPECT_EQ(ui.text("Button"), L"Go");
    EXPECT_FALSE(ui.exists("Orphan"));
    EXPECT_FALSE(ui.exists("Inner"));
    ui.setStatusFields("Bar", {60, -1});
    ui.setStatusText("Bar", 1, L"ok");
    EXPECT_EQ(ui.statusText("Bar", 1), L"ok");
    EXPECT_EQ(ui.faults().size(), 6u);
}

TEST_F(SimToolkitTree, ListsKeepOneCellPerColumnAndFollowDeletedRows) {
    ui.addColumn("List", L"A", 40);
    ui.addColumn("List", L"B", 50);
    EXPECT_EQ(ui.addRow("List", {L"a0", L"b0", L"lost"}), 0);
    EXPECT_EQ(ui.addRow("List", {L"a1"}), 1);
    EXPECT_EQ(ui.addRow("List", {L"a2", L"b2"}), 2);
    EXPECT_EQ(ui.cell("List", 0, 2), L"");
    EXPECT_EQ(ui.cell("List", 1, 1), L"");
    ui.setCell("List", 1, 1, L"b1");
    EXPECT_EQ(ui.cell("List", 1, 1), L"b1");
    ui.selectRow("List", 2);
    ui.setCellColours("List", 2, 1, 5, 6);
    ui.deleteRow("List", 0);
    EXPECT_EQ(ui.selectedRow("List"), 1);
    EXPECT_EQ(ui.cell("List", 1, 0), L"a2");
    EXPECT_EQ(ui.cellColours("List", 1, 1), (std::pair<std::int32_t, std::int32_t>{5, 6}));
    ui.deleteRow("List", 1);
    EXPECT_EQ(ui.selectedRow("List"), -1);
    ui.selectRow("List", 7);
    EXPECT_EQ(ui.selectedRow("List"), -1);
    EXPECT_EQ(ui.addListIcon("List", L"halvora.exe", -2), 0);
    EXPECT_EQ(ui.addListIcon("List", L"halvora.exe", -3), 1);
    ui.setRowIcon("List", 0, 1);
    EXPECT_EQ(ui.rowIcon("List", 0), 1);
    ui.deleteAllRows("List");
    EXPECT_EQ(ui.rowCount("List"), 0);
}

TEST_F(SimToolkitTree, CombosSpinsAndStatusBarsBehaveAsTheirControlsDo) {
    ui.addComboItem("Combo", L"대기");
    ui.addComboItem("Combo", L"재시작");
    ui.setComboSelection("Combo", 1);
    EXPECT_EQ(ui.text("Combo"), L"재시작");
    ui.setComboSelection("Combo", 5);
    EXPECT_EQ(ui.comboSelection("Combo"), -1);
    EXPECT_EQ(ui.text("Combo"), L"");

    EXPECT_EQ(ui.spinValue("Spin"), 2) << "the initial text is the position";
    ui.setSpinRange("Spin", 1, 4);
    ui.setSpinValue("Spin", 9);
    EXPECT_EQ(ui.spinValue("Spin"), 4);
    EXPECT_EQ(ui.text("Spin"), L"4");
    ui.setText("Spin", L"3");
    EXPECT_EQ(ui.spinValue("Spin"), 3);
    ui.setText("Spin", L"x");
    EXPECT_EQ(ui.spinValue("Spin"), 3);

    ui.setProgress("Bar", 140);
    EXPECT_EQ(ui.progress("Bar"), 100);
    ui.setText("Bar", L"first field");
    EXPECT_EQ(ui.statusText("Bar", 0), L"first field");
}

TEST_F(SimToolkitTree, ControlsTakeTheWindowFontSetBeforeTheyWereCreated) {
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setWindowFont("Main", L"Consolas", -11);
    ui.createControl({"Late", ControlKind::Label, "Panel", L"", {}});
    ASSERT_TRUE(ui.fontOf("Late"));
    EXPECT_EQ(ui.fontOf("Late")->face, L"Consolas");
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setControlFont("Button", L"Segoe UI", -12);
    EXPECT_EQ(ui.fontOf("Button")->height, -12);
}

TEST_F(SimToolkitTree, MeasureTextCountsNarrowAndWideCharactersPerLine) {
    EXPECT_EQ(ui.measureText("Label", L"ab"), (Size{14, 16}));
    EXPECT_EQ(ui.measureText("Label", L"ab\r\n한글한"), (Size{36, 32}));
    EXPECT_EQ(ui.measureText("Label", L"abcd\rx\ny"), (Size{28, 48}));
    EXPECT_EQ(ui.measureText("Label", L"a\n"), (Size{7, 32}));
    EXPECT_EQ(ui.measureText("Label", L""), (Size{0, 16}));
    EXPECT_EQ(ui.measureText("Label", std::wstring(1, wchar_t(0x10FF)) + wchar_t(0x1100)), (Size{19, 16}));
}

// --- the interface thread: clock, idleness and copy-data ----------------------------------------

// A stand-in for the program's interface thread: records every event with the virtual time it
// saw it at, lets a test react to it, and ends on a Close event.
class InterfaceThread {
public:
    using Reaction = std::function<void(const Event&)>;
    InterfaceThread(SimToolkit& ui, Reaction react = {}) : ui_(ui), react_(std::move(react)) {
        thread_ = std::thread([this] {
            for (;;) {
                Event e = ui_.waitEvent();
                if (e.kind == EventKind::Close) break;
                {
                    std::lock_guard lock(mutex_);
                    seen_.push_back({e, ui_.now()});
                }
                if (react_) react_(e);
            }
        });
    }
    ~InterfaceThread() { stop(); }
    void stop() {
        if (!thread_.joinable()) return;
        Event close;
        close.kind = EventKind::Close;
        ui_.postEvent(close);
        thread_.join();
    }
    std::vector<std::pair<Event, std::uint64_t>> seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    std::thread::id id() const { return thread_.get_id(); }

private:
    SimToolkit& ui_;
    Reaction react_;
    std::mutex mutex_;
    std::vector<std::pair<Event, std::uint64_t>> seen_;
    std::thread thread_;
};

TEST(SimClock, TimersFireInTimeOrderAndEachIsHandledBeforeTheNext) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main", L"Main", {1, 1}, "", 0);
    ui.setTimer("Main", 1, 300);
    ui.setTimer("Main", 2, 500);
    std::atomic<std::uint64_t> slowWork{0};
    InterfaceThread loop(ui, [&](const Event&) {
        std::this_thread::sleep_for(5ms);  // a handler that takes real time must still be waited for
        ++slowWork;
    });
    ScriptedUser user(ui);
    ASSERT_TRUE(user.advance(1000)) << user.lastError();
    EXPECT_EQ(slowWork.load(), 5u);
    std::vector<std::pair<int, std::uint64_t>> fired;
    for (const auto& [e, at] : loop.seen()) {
        EXPECT_EQ(e.kind, EventKind::Timer);
        EXPECT_EQ(e.window, "Main");
        fired.emplace_back(e.code, at);
    }
    EXPECT_EQ(fired, (std::vector<std::pair<int, std::uint64_t>>{{1, 300}, {2, 500}, {1, 600}, {1, 900}, {2, 1000}}));
    EXPECT_EQ(ui.now(), 1000u);
}

TEST(SimClock, AKilledTimerStopsAndTooShortIntervalsAreRaised) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main", L"Main", {1, 1}, "", 0);
    ui.setTimer("Main", 7, 1000);
    ui.setTimer("Main", 8, 1);
    EXPECT_EQ(ui.timerInterval("Main", 8), 10);
    ui.killTimer("Main", 8);
    int countdown = 3;
    InterfaceThread loop(ui, [&](const Event& e) {
        if (e.kind == EventKind::Timer && --countdown == 0) ui.killTimer("Main", e.code);
    });
    ScriptedUser user(ui);
    ASSERT_TRUE(user.advance(5000)) << user.lastError();
    EXPECT_EQ(loop.seen().size(), 3u);
    EXPECT_EQ(loop.seen().back().second, 3000u);
    EXPECT_FALSE(ui.timerInterval("Main", 7));
}

TEST(SimClock, AdvanceFailsWhenNoInterfaceThreadHandlesTheTimers) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main", L"Main", {1, 1}, "", 0);
    ui.setTimer("Main", 1, 100);
    ScriptedUser user(ui);
    user.setWaitTimeout(50ms);
    EXPECT_FALSE(user.advance(1000));
    EXPECT_NE(user.lastError().find("idle"), std::string::npos);
}

TEST(SimIdle, AThreadThatStopsWaitingForEventsCountsAsIdleOnceItHasEnded) {
    SimToolkit ui(emptyMachine());
    std::atomic<bool> release{false};
    std::thread program([&] {
        ui.waitEvent();
        while (!release) std::this_thread::sleep_for(1ms);
    });
    EXPECT_TRUE(ui.waitIdle(kDefaultWait));
    ui.postEvent(Event{});
    EXPECT_FALSE(ui.waitIdle(50ms)) << "busy after taking the event";
    release = true;
    program.join();
    EXPECT_TRUE(ui.waitIdle(kDefaultWait));
}

// A worker's window call is a message sent to the interface thread: it waits while that thread
// is inside a handler, and lands once the thread waits for messages again.
TEST(SimSentCalls, AWorkersWriteWaitsForTheHandlerInProgressToReturn) {
    auto machine = emptyMachine();
    SimToolkit ui(machine);
    ui.createWindow("Main", L"Main", {1, 1}, "", 0);
    ui.createControl({"Bar", ControlKind::StatusBar, "Main", L"", {}});
    std::atomic<bool> handlerStarted{false};
    InterfaceThread loop(ui, [&](const Event& e) {
        if (e.kind != EventKind::Custom) return;
        ui.setStatusText("Bar", 0, L"handler");
        handlerStarted = true;
        std::this_thread::sleep_for(100ms);
        ui.setStatusText("Bar", 0, L"handler done");
    });
    SimSystem system(machine, {});
    std::uint32_t error = 0;
    auto worker = system.startThread(
        [&] {
            Event e;
            e.kind = EventKind::Custom;
            ui.postEvent(e);
            while (!handlerStarted) std::this_thread::sleep_for(1ms);
            ui.setStatusText("Bar", 0, L"worker");
        },
        error);
    ASSERT_TRUE(worker);
    worker->join();
    ASSERT_TRUE(ui.waitIdle(kDefaultWait));
    EXPECT_EQ(ui.statusText("Bar", 0), L"worker") << "the worker's text came in the middle of the handler";

    // Threads that are not the program's workers (the test, the scripted user) read at once.
    std::thread reader([&] { EXPECT_EQ(ui.statusText("Bar", 0), L"worker"); });
    reader.join();
}

TEST(SimSentCalls, AWorkerDoesNotWaitForAnInterfaceThreadThatHasEnded) {
    auto machine = emptyMachine();
    SimToolkit ui(machine);
    ui.createWindow("Main", L"Main", {1, 1}, "", 0);
    { InterfaceThread loop(ui); }
    SimSystem system(machine, {});
    std::uint32_t error = 0;
    auto worker = system.startThread([&] { ui.setText("Main", L"late"); }, error);
    ASSERT_TRUE(worker);
    worker->join();
    EXPECT_EQ(ui.text("Main"), L"late");
}

class SimCopyData : public ::testing::Test {
protected:
    void SetUp() override {
        m->setCopyDataTimeout(2s);
        ASSERT_EQ(first.createWindow("MainWindow", L"Halvora", {1, 1}, "", 0), 0u);
        first.acceptCopyData("MainWindow");
    }
    // The copies that reached the main loop as events, in order.
    static std::vector<std::string> received(InterfaceThread& loop) {
        std::vector<std::string> copies;
        for (const auto& [e, at] : loop.seen()) {
            if (e.kind == EventKind::CopyData && e.window == "MainWindow") copies.emplace_back(e.data.begin(), e.data.end());
        }
        return copies;
    }

    std::shared_ptr<SimMachine> m = emptyMachine();
    SimToolkit first{m};
};

TEST_F(SimCopyData, ASecondRunsSendIsCopiedAndQueuedForTheFirstRunsMainLoop) {
    InterfaceThread loop(first);
    SimSystem second(m, {});
    const std::uint64_t window = second.findWindow(L"Halvora");
    ASSERT_NE(window, 0u);
    std::string buffer = "abcdef";
    EXPECT_EQ(second.sendCopyData(window, 0, buffer.data(), 3), 1);
    buffer = "XXXXXX";  // the sender's buffer is its own again once the send returns
    EXPECT_EQ(second.sendCopyData(window, 0, buffer.data(), 6), 1);
    ASSERT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_EQ(received(loop), (std::vector<std::string>{"abc", "XXXXXX"}));
    const auto calls = m->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"SendMessageW WM_COPYDATA 0 3"), calls.end());
}

TEST_F(SimCopyData, NullDataAndSizesOverTheLimitAreRefusedAndNotQueued) {
    InterfaceThread loop(first);
    ScriptedUser user(first);
    EXPECT_EQ(user.sendCopyData(L"Halvora", nullptr, 100000), 0);
    std::string huge(kCopyDataLimit + 1, 'x');
    EXPECT_EQ(user.sendCopyData(L"Halvora", huge.data(), static_cast<std::uint32_t>(huge.size())), 0);
    EXPECT_EQ(user.sendCopyData(L"Halvora", huge.data(), kCopyDataLimit), 1);
    ASSERT_EQ(received(loop).size(), 1u);
    EXPECT_EQ(user.sendCopyData(L"No such title", "x", 1), 0);
    EXPECT_FALSE(user.lastError().empty());
}

TEST_F(SimCopyData, ASendNobodyTakesUpGivesUpAndIsNeverDeliveredLater) {
    m->setCopyDataTimeout(100ms);
    const auto window = m->findWindow(L"Halvora");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m->sendCopyData(window, "late", 4), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    InterfaceThread loop(first);
    EXPECT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_TRUE(received(loop).empty());
}

TEST_F(SimCopyData, AWindowWithoutHandlerOrAnEndedRunAnswersZeroAtOnce) {
    first.createWindow("Plain", L"Plain", {1, 1}, "", 0);
    {
        InterfaceThread loop(first);
        EXPECT_EQ(m->sendCopyData(m->findWindow(L"Plain"), "x", 1), 0);
        EXPECT_TRUE(received(loop).empty());
    }
    m->setCopyDataTimeout(10s);
    first.markProgramEnded();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m->sendCopyData(m->findWindow(L"Halvora"), "x", 1), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST_F(SimCopyData, ASendFromTheInterfaceThreadItselfIsHandledDirectly) {
    std::intptr_t result = -1;
    InterfaceThread loop(first, [&](const Event& e) {
        if (e.kind == EventKind::Custom) result = m->sendCopyData(m->findWindow(L"Halvora"), "me", 2);
    });
    ScriptedUser user(first);
    ASSERT_TRUE(user.postCustom(1));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_EQ(received(loop), std::vector<std::string>{"me"});
}

// --- the scripted user ------------------------------------------------------------------------

class SimUser : public SimToolkitTree {
protected:
    void SetUp() override {
        SimToolkitTree::SetUp();
        ui.setVisible("Main", true);
        ui.addColumn("List", L"A", 10);
        ui.addRow("List", {L"r0"});
        ui.addRow("List", {L"r1"});
        ui.createPopupMenu("Menu", {{1, L"one"}, {0, L""}, {2, L"two"}});
        loop = std::make_unique<InterfaceThread>(ui, [this](const Event& e) {
            // Handled before the action returns: the user waits for idle.
            if (e.kind == EventKind::Control && e.control == "Button") ui.setText("Label", L"clicked");
        });
        user.setWaitTimeout(kDefaultWait);
    }
    void TearDown() override { loop.reset(); }
    Event last() {
        const auto seen = loop->seen();
        return seen.empty() ? Event{} : seen.back().first;
    }

    ScriptedUser user{ui};
    std::unique_ptr<InterfaceThread> loop;
};

TEST_F(SimUser, AClickIsHandledBeforeTheActionReturns) {
    ASSERT_TRUE(user.click("Button")) << user.lastError();
    EXPECT_EQ(ui.text("Label"), L"clicked");
    EXPECT_EQ(ui.focused("Main"), "Button");
    const Event e = last();
    EXPECT_EQ(e.kind, EventKind::Control);
    EXPECT_EQ(e.window, "Main");
    EXPECT_EQ(e.control, "Button");
    EXPECT_EQ(e.code, kLeftClick);
}

TEST_F(SimUser, APersonCannotUseWhatIsMissingHiddenOrDisabled) {
    EXPECT_FALSE(user.click("Nothing"));
    EXPECT_NE(user.lastError().find("does not exist"), std::string::npos);
    ui.setEnabled("Button", false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("disabled"), std::string::npos);
    ui.setEnabled("Button", true);
    ui.setEnabled("Main", false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("\"Main\""), std::string::npos) << user.lastError();
    EXPECT_FALSE(user.requestClose("Main"));
    ui.setEnabled("Main", true);
    ui.setVisible("Panel", false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("not visible"), std::string::npos);
    ui.setVisible("Panel", true);
    EXPECT_FALSE(user.click("Label")) << "a plain label reports no clicks";
    EXPECT_FALSE(user.dropFiles("Main", {L"C:\\a.wim"})) << "the window has not asked for dropped files";
    EXPECT_TRUE(loop->seen().empty());
    ui.acceptDroppedFiles("Main");
    ASSERT_TRUE(user.dropFiles("Main", {L"C:\\a.wim"}));
    EXPECT_EQ(last().files, std::vector<std::wstring>{L"C:\\a.wim"});
}

TEST_F(SimUser, ChecksToggleAndSpinsAndRowsCarryTheirValues) {
    ASSERT_TRUE(user.click("Check"));
    EXPECT_TRUE(ui.isChecked("Check"));
    ASSERT_TRUE(user.click("Check"));
    EXPECT_FALSE(ui.isChecked("Check"));

    ui.setSpinRange("Spin", 1, 4);
    ASSERT_TRUE(user.setSpin("Spin", 3));
    EXPECT_EQ(ui.text("Spin"), L"3");
    EXPECT_EQ(last().code, kChange);
    EXPECT_FALSE(user.setSpin("Spin", 5));
    EXPECT_FALSE(user.typeText("Spin", L"1")) << "read-only field";

    ASSERT_TRUE(user.clickRow("List", 1));
    EXPECT_EQ(ui.selectedRow("List"), 1);
    EXPECT_EQ(last().row, 1);
    ASSERT_TRUE(user.doubleClickRow("List", 0));
    EXPECT_EQ(last().code, kDoubleClick);
    EXPECT_EQ(last().row, 0);
    ASSERT_TRUE(user.doubleClickEmpty("List"));
    EXPECT_EQ(last().row, -1);
    EXPECT_EQ(ui.selectedRow("List"), -1);
    EXPECT_FALSE(user.clickRow("List", 2));
}

TEST_F(SimUser, MenuItemsCanBeChosenOnlyFromAnOpenMenu) {
    EXPECT_FALSE(user.chooseMenuItem("Menu", 1));
    ui.showPopupMenu("Menu", "Main");
    ui.setMenuItemEnabled("Menu", 2, false);
    EXPECT_FALSE(user.chooseMenuItem("Menu", 2));
    EXPECT_FALSE(user.chooseMenuItem("Menu", 0)) << "a separator is no item";
    ASSERT_TRUE(user.chooseMenuItem("Menu", 1)) << user.lastError();
    EXPECT_EQ(last().kind, EventKind::Menu);
    EXPECT_EQ(last().window, "Main");
    EXPECT_EQ(last().code, 1);
    EXPECT_EQ(ui.menuOpenFor("Menu"), "");
    EXPECT_FALSE(user.chooseMenuItem("Menu", 1));
}

}  // namespace
}  // namespace halvora::sim
