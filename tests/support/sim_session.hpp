#pragma once
// A simulated machine with the program running on it, for the scenario tests and the sim's own
// tests. The program runs on its own interface thread; the test plays the person at the machine
// through ScriptedUser.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/program.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "temp_folder.hpp"
#include "ui/control_names.hpp"

namespace halvora::scenario {

using nlohmann::json;

// A message box that a failed check left open would keep its thread, and so the test, waiting
// for ever: close it the way a worker does, until `answer` is in.
inline void closeLeftOverBox(sim::SimToolkit& ui, const std::future<int>& answer) {
    for (int tries = 0; tries < 200 && answer.valid(); ++tries) {
        if (answer.wait_for(std::chrono::milliseconds(25)) == std::future_status::ready) return;
        Event close;
        close.kind = EventKind::Close;
        close.window = controls::MessageBox;
        ui.postEvent(close);
    }
}

// Where the program's own file lives on the default machine, and its settings file.
inline const std::wstring kProgramFolder = L"D:\\Halvora";
inline const std::wstring kSettingsPath = L"D:\\Halvora\\HLV_xSET.ini";
inline const char* const kSettingsHost = "D/Halvora/HLV_xSET.ini";  // the same file, under the fixture's folder
// The GPT partition type of an EFI system partition.
inline const char* const kEspType = "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}";
inline const std::wstring kWimgapiVersion = L"10.0.19041.1";

// An ordinary Korean Windows 10 machine with drives C: and D:, the imaging library, the boot
// tool and the virtual-disk library in System32. `patch` is merged over the description.
class SimMachineFixture {
public:
    explicit SimMachineFixture(const json& patch = json::object()) {
        for (const char* drive : {"C", "D"}) std::filesystem::create_directories(root_ / drive);
        writeHostFile("C/Windows/System32/wimgapi.dll", "MZ imaging library");
        writeHostFile("C/Windows/System32/Bcdboot.exe", "MZ boot tool");
        writeHostFile("C/Windows/System32/VirtDisk.dll", "MZ virtual disks");
        writeHostFile("C/Windows/System32/Shell32.dll", "MZ shell");
        std::filesystem::create_directories(root_ / "C/Temp");
        std::filesystem::create_directories(root_ / "D/Halvora");
        description_ = {
            {"windowsVersion", {{"major", 10}, {"minor", 0}, {"build", 19041}}},
            {"environment", {{"SYSTEMROOT", "C:\\Windows"}, {"SYSTEMDRIVE", "C:"}}},
            {"tempPath", "C:\\Temp\\"},
            {"programPath", "D:\\Halvora\\halvora.exe"},
            {"systemDirectory", "C:\\Windows\\System32"},
            {"localeName", "ko-KR"},
            {"drives", {{"C", (root_ / "C").string()}, {"D", (root_ / "D").string()}}},
            {"versionResources",
             {{"C:\\Windows\\System32\\wimgapi.dll",
               {{"translation", {1033, 1200}},
                {"strings", {{"FileVersion", toUtf8(kWimgapiVersion)}, {"ProductName", "Microsoft Windows"}}},
                {"languageName", "English (United States)"}}}}},
            {"fonts", {"Consolas", "Segoe UI", "NanumGothicCoding", "MS Shell Dlg"}},
            {"smallCaptionFont", {{"face", "Segoe UI"}, {"height", -12}}},
            {"guiFont", {{"face", "MS Shell Dlg"}, {"height", -11}}},
            {"dpi", 96},
        };
        description_.merge_patch(patch);
    }
    SimMachineFixture(const SimMachineFixture&) = delete;
    SimMachineFixture& operator=(const SimMachineFixture&) = delete;

    std::filesystem::path host(const std::string& relative) const { return root_ / relative; }
    void writeHostFile(const std::string& relative, const std::string& bytes) {
        const auto path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string readHostFile(const std::string& relative) const {
        std::ifstream in(root_ / relative, std::ios::binary);
        std::ostringstream bytes;  // a block copy: a character-wise one takes a second for 17 MiB
        bytes << in.rdbuf();
        return std::move(bytes).str();
    }
    bool hostFileExists(const std::string& relative) const { return std::filesystem::exists(root_ / relative); }

    // The machine, made once from the description as it stands when first asked for: the
    // description is written to machine.json and loaded from there, as the program's own
    // Linux runs load theirs.
    std::shared_ptr<sim::SimMachine> machine() {
        if (!machine_) {
            const auto file = root_ / "machine.json";
            std::ofstream(file) << description_.dump(2);
            std::string error;
            machine_ = sim::SimMachine::load(file.string(), error);
            EXPECT_TRUE(machine_) << error;
        }
        return machine_;
    }
    json& description() { return description_; }

private:
    testing::TempFolder folder_{"halvora-scenario"};  // goes last, after the machine
    const std::filesystem::path& root_ = folder_.root();
    json description_;
    std::shared_ptr<sim::SimMachine> machine_;
};

// One run of the program on the machine.
class ProgramRun {
public:
    ProgramRun(std::shared_ptr<sim::SimMachine> machine, std::vector<std::wstring> arguments = {})
        : system_(machine, std::move(arguments)), toolkit_(machine), user_(toolkit_), program_(system_, toolkit_) {}
    ~ProgramRun() {
        if (thread_.joinable()) {
            toolkit_.machine().holdApplies(false);  // an apply a test held must not keep the program
            // The window may be disabled under an open box, where a person could not close it.
            program_.state.Busy = false;
            program_.state.ApplyWorkerAlive = false;
            program_.state.BootWorkerAlive = false;
            program_.state.SearchWorkerAlive = false;
            // A search held at a listing would never end; let it finish.
            system_.machine().listingGate().releaseAll();
            for (const ControlName& window : {controls::MessageBox, controls::MainWindow}) {
                Event close;
                close.kind = EventKind::Close;
                close.window = window;
                toolkit_.postEvent(close);
            }
            thread_.join();
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Starts the program on its interface thread and waits until its window waits for the user.
    void start() {
        std::promise<int> done;
        exit_ = done.get_future();
        thread_ = std::thread([this, done = std::move(done)]() mutable {
            const int code = runProgram(program_);
            toolkit_.markProgramEnded();
            done.set_value(code);
        });
        ASSERT_TRUE(user_.waitUntil(
            [this] { return toolkit_.isWindow("MainWindow") && toolkit_.isVisible(controls::MainWindow); },
            sim::kDefaultWait))
            << "the main window did not appear";
        ASSERT_TRUE(user_.waitIdle(sim::kDefaultWait));
    }
    // Runs the program to its end on this thread (a second instance ends at once).
    int runToEnd() { return runProgram(program_); }

    bool ended(std::chrono::milliseconds wait = std::chrono::milliseconds(500)) {
        return exit_.valid() && exit_.wait_for(wait) == std::future_status::ready;
    }
    int exitCode() {
        const int code = exit_.get();
        thread_.join();
        return code;
    }

    sim::SimToolkit& ui() { return toolkit_; }
    sim::ScriptedUser& user() { return user_; }
    Program& program() { return program_; }
    sim::SimSystem& system() { return system_; }

private:
    sim::SimSystem system_;
    sim::SimToolkit toolkit_;
    sim::ScriptedUser user_;
    Program program_;
    std::thread thread_;
    std::future<int> exit_;
};

}  // namespace halvora::scenario
