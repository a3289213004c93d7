// Platform calls failed by the machine description: the nth call of a Windows function fails with
// the error asked for, as Windows reports it through that operation, and only that call; every
// call is counted, whether or not the call log shows it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

using halvora::testing::TempFolder;
using nlohmann::json;

class FailedCalls : public ::testing::Test {
protected:
    std::shared_ptr<SimMachine> machine(const json& failCalls) {
        t.write("c/Windows/System32/wimgapi.dll", "MZ");
        t.write("c/Temp/file.txt", "12345");
        const json description = {{"drives", {{"C", (t.root() / "c").string()}}}, {"failCalls", failCalls}};
        std::string error;
        auto m = SimMachine::fromJson(description, error);
        EXPECT_TRUE(m) << error;
        return m;
    }
    static bool logged(const SimMachine& m, const std::wstring& line) {
        const auto calls = m.calls();
        return std::find(calls.begin(), calls.end(), line) != calls.end();
    }

    TempFolder t;
};

TEST_F(FailedCalls, OnlyTheNthCallFailsWithTheErrorAsTheOperationReportsIt) {
    auto m = machine({{{"call", "CreateDirectoryW"}, {"nth", 2}, {"error", 5}},
                      {{"call", "GetFileAttributesExW"}, {"error", 21}},
                      {{"call", "CreateThread"}, {"error", 8}},
                      {{"call", "CreateMutexW"}, {"error", 5}},
                      {{"call", "WIMCreateFile"}, {"error", 32}},
                      {{"call", "DefineDosDeviceW"}, {"error", 5}},
                      {{"call", "CreateProcessW"}, {"error", 740}}});
    SimSystem system(m);
    EXPECT_TRUE(system.createFolder(L"C:\\a"));
    EXPECT_FALSE(system.createFolder(L"C:\\b"));
    EXPECT_TRUE(system.createFolder(L"C:\\c"));
    EXPECT_FALSE(std::filesystem::exists(t.root() / "c/b"));
    EXPECT_TRUE(logged(*m, L"CreateDirectoryW C:\\b -> error 5"));

    // nth defaults to the first call.
    EXPECT_EQ(system.fileSize(L"C:\\Temp\\file.txt"), -1);
    EXPECT_EQ(system.fileSize(L"C:\\Temp\\file.txt"), 5);

    std::uint32_t error = 0;
    EXPECT_FALSE(system.startThread([] {}, error));
    EXPECT_EQ(error, 8u);
    EXPECT_FALSE(system.createMutex(L"Halvora{X}", error));
    EXPECT_EQ(error, 5u);

    ImagingLibrary& wim = system.imaging();
    EXPECT_EQ(wim.createFile(L"C:\\Temp\\file.txt", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr), 0u);
    EXPECT_EQ(wim.lastError(), 32u);
    wim.createFile(L"C:\\Temp\\file.txt", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
    EXPECT_NE(wim.lastError(), 32u);  // not an image: the file's own failure this time

    error = 0;
    EXPECT_FALSE(system.volumes().defineDosDevice(kDddRawTargetPath, L"Q:", L"\\Device\\X", error));
    EXPECT_EQ(error, 5u);

    const ProgramRun run = system.runHiddenProgram(L"Bcdboot.exe C:\\Windows", L"C:\\Windows\\System32");
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.error, 740u);
}

TEST_F(FailedCalls, EveryCallIsCountedByItsWindowsNameWhetherOrNotItIsLogged) {
    auto m = machine(json::array());
    SimSystem system(m);
    system.tempPath();
    system.fileSize(L"C:\\Temp\\file.txt");
    system.folderExists(L"C:\\Temp");
    system.fileAttributes(L"C:\\Temp");
    system.createFolder(L"C:\\a");
    system.sleep(0);
    system.volumes().logicalDrives();
    const auto counts = m->callCounts();
    EXPECT_EQ(counts.at("GetTempPathW"), 1u);
    EXPECT_EQ(counts.at("GetFileAttributesExW"), 1u);
    EXPECT_EQ(counts.at("GetFileAttributesW"), 2u);  // a folder's existence is asked the same way
    EXPECT_EQ(counts.at("CreateDirectoryW"), 1u);
    EXPECT_EQ(counts.at("Sleep"), 1u);
    EXPECT_EQ(counts.at("GetLogicalDrives"), 1u);
    EXPECT_EQ(counts.size(), 6u);
    // Every name counted is one the description can name.
    for (const auto& [name, count] : counts) EXPECT_NE(kindOfCall(name), CallKind::Unknown) << name;
}

}  // namespace
}  // namespace halvora::sim
