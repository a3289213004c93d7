#pragma once
// A machine ready for installations: C: on a GPT system disk with its ESP, E: on a second GPT
// disk with its own unlettered ESP, the install image D:\sources\install.wim made from a small
// Windows-like tree, and the program's helpers for the boxes an installation shows.

#include <algorithm>
#include <mutex>

#include "base/utf.hpp"
#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {

// The files of the image: enough of Windows for Bcdboot, and some data.
inline testing::ImagePlan windowsLikeImage() {
    testing::ImagePlan image;
    image.properties = {{"NAME", "Windows 10 Pro"},
                        {"DESCRIPTION", "Windows 10 Pro"},
                        {"WINDOWS/ARCH", "9"},
                        {"WINDOWS/VERSION/MAJOR", "10"},
                        {"WINDOWS/VERSION/MINOR", "0"},
                        {"WINDOWS/VERSION/BUILD", "19041"},
                        {"WINDOWS/LANGUAGES/DEFAULT", "ko-KR"}};
    image.files = {{"Windows/System32/winload.efi", "MZ winload efi"},
                   {"Windows/System32/winload.exe", "MZ winload exe"},
                   {"Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi"},
                   {"Windows/Boot/PCAT/bootmgr", "boot manager pcat"},
                   {"Windows/Panther/unattend.xml", "<unattend from the image/>"},
                   {"Users/Public/readme.txt", "hello"}};
    return image;
}

// The same image marked as one that may be applied as WIMBoot.
inline testing::ImagePlan wimBootImage() {
    testing::ImagePlan image = windowsLikeImage();
    image.properties.push_back({"WIMBOOT", "1"});
    return image;
}

inline json partitionOf(SimMachineFixture& m, int number, const std::string& folder, json extra) {
    std::filesystem::create_directories(m.host(folder));
    json p = {{"number", number}, {"folder", m.host(folder).string()}, {"size", 8LL << 30}};
    p.merge_patch(extra);
    return p;
}

// The machine; `targetDisk` is merged over the second disk's description.
inline json installMachine(SimMachineFixture& m, json targetDisk = json::object()) {
    json esp = {
        {"gptType", kEspType}, {"gptName", "EFI system partition"}, {"fileSystem", "FAT32"}, {"size", 104857600}};
    json system = {{"number", 0},
                   {"style", "GPT"},
                   {"bus", 17},
                   {"partitions", {partitionOf(m, 1, "esp0", esp), partitionOf(m, 3, "C", {{"letter", "C"}})}}};
    json target = {{"number", 1},
                   {"style", "GPT"},
                   {"bus", 11},
                   {"partitions",
                    {partitionOf(m, 1, "esp1", esp), partitionOf(m, 2, "E", {{"letter", "E"}, {"label", "Target"}})}}};
    target.merge_patch(targetDisk);
    return {{"drives", {{"C", nullptr}}}, {"disks", {system, target}}};
}

inline void writeInstallImage(SimMachineFixture& m, const std::string& relative = "D/sources/install.wim",
                              const testing::ImagePlan& image = windowsLikeImage()) {
    testing::WimPlan plan;
    plan.images = {image};
    std::filesystem::create_directories(m.host(relative).parent_path());
    const std::string error = testing::writeWim(m.host(relative), plan);
    ASSERT_EQ(error, "");
}

// The arguments that choose the image, its first edition and E: as the install location.
inline std::vector<std::wstring> installArguments(std::vector<std::wstring> more = {}) {
    std::vector<std::wstring> arguments{L"/ImageFile:D:\\sources\\install.wim", L"/Index:1", L"/ApplyDrv:E:"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

inline std::vector<std::wstring> callsContaining(sim::SimMachine& machine, const std::wstring& text) {
    std::vector<std::wstring> found;
    for (const auto& call : machine.calls()) {
        if (call.find(text) != std::wstring::npos) found.push_back(call);
    }
    return found;
}

// Where the first call containing `text` stands in the call log; -1 when there is none.
inline long callIndex(sim::SimMachine& machine, const std::wstring& text) {
    const auto calls = machine.calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].find(text) != std::wstring::npos) return static_cast<long>(i);
    }
    return -1;
}

// Every text status field 3 showed, in order, whichever thread wrote it. Made before the
// program starts.
class StatusLog {
public:
    explicit StatusLog(ProgramRun& run) {
        run.ui().setScreenObserver([this](const sim::SimScreenChange& change) {
            if (change.kind != sim::SimScreenChange::Kind::StatusText || change.field != 3) return;
            std::lock_guard lock(mutex_);
            texts_.push_back(change.text);
        });
    }
    std::vector<std::wstring> texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    bool showed(const std::wstring& text) const {
        const auto all = texts();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> texts_;
};

struct SeenBox {
    std::wstring title;
    std::wstring text;
    int icon = 0;
    std::wstring defaultCaption;  // the default button's caption as first seen ("No (5)")
};

// Waits for the program's message box (with `title` when one is given) and notes it.
inline SeenBox waitBox(ProgramRun& run, const std::wstring& title = L"") {
    SeenBox box;
    auto& ui = run.ui();
    const auto shown = [&] {
        return ui.isWindow("MessageBox") && ui.isVisible(controls::MessageBox) &&
               (title.empty() || ui.text(controls::MessageBox) == title);
    };
    // Shown, and finished: the box is built (icon, countdown, focus) once the interface thread
    // waits in it for the person.
    const bool open = run.user().waitUntil(shown) && run.user().waitIdle() && shown();
    EXPECT_TRUE(open) << "no message box " << toUtf8(title);
    if (!open) return box;
    box.title = ui.text(controls::MessageBox);
    box.text = ui.text(controls::MessageBoxText);
    const auto icon = ui.iconOf(controls::MessageBoxIcon);
    box.icon = icon ? icon->index : 0;
    for (const ControlName& b : {controls::MessageBoxYes, controls::MessageBoxNo, controls::MessageBoxOk}) {
        if (ui.exists(b) && ui.focused(controls::MessageBox) == b) box.defaultCaption = ui.text(b);
    }
    return box;
}

// Waits for the program's message box, notes it, and clicks `button` ("Yes", "No", "Ok").
inline SeenBox answerBox(ProgramRun& run, const std::string& button) {
    SeenBox box = waitBox(run);
    if (box.title.empty()) return box;
    EXPECT_TRUE(run.user().click("MessageBox" + button)) << run.user().lastError();
    return box;
}

// Clicks the install button and confirms the installation.
inline SeenBox startInstallation(ProgramRun& run) {
    EXPECT_TRUE(run.user().click("InstallButton")) << run.user().lastError();
    const SeenBox confirm = answerBox(run, "Yes");
    EXPECT_EQ(confirm.title, L"설치 확인");
    return confirm;
}

// The window is ready for the next job.
inline void expectIdle(ProgramRun& run) {
    EXPECT_EQ(run.ui().text(controls::InstallButton), L"설 치");
    EXPECT_TRUE(run.ui().isEnabled(controls::InstallButton));
    EXPECT_TRUE(run.ui().isEnabled(controls::MainPanel));
    EXPECT_FALSE(run.program().state.Busy.load());
    EXPECT_FALSE(run.program().state.CancelRequested.load());
    EXPECT_EQ(run.program().state.ExitCode.load(), 0);
    EXPECT_FALSE(run.ended(std::chrono::milliseconds(0)));
}

}  // namespace halvora::scenario
