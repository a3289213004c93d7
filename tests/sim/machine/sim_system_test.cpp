// The operating system of one program run over the machine: environment, files as bytes through
// any spelling, write failures, missing libraries, named mutexes shared by runs, and Version.dll's
// blocks read with the calls the program makes.

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

using halvora::testing::TempFolder;

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

}  // namespace
}  // namespace halvora::sim
