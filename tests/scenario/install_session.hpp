#pragma once
// A machine ready for installations: C: on a GPT system disk with its ESP, E: on a second GPT
// disk with its own unlettered ESP, the install image D:\sources\install.wim made from a small
// Windows-like tree, and the program's helpers for the boxes an installation shows.

#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {

inline const char* const kEspType = "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}";

// The files of the image: enough of Windows for Bcdboot, and some data.
inline testing::ImageSpec windowsLikeImage() {
    testing::ImageSpec image;
    image.properties = {{"NAME", "Windows 10 Pro"}, {"DESCRIPTION", "Windows 10 Pro"}, {"WINDOWS/ARCH", "9"},
                        {"WINDOWS/VERSION/MAJOR", "10"}, {"WINDOWS/VERSION/MINOR", "0"},
                        {"WINDOWS/VERSION/BUILD", "19041"}, {"WINDOWS/LANGUAGES/DEFAULT", "ko-KR"}};
    image.files = {{"Windows/System32/winload.efi", "MZ winload efi"},
                   {"Windows/System32/winload.exe", "MZ winload exe"},
                   {"Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi"},
                   {"Windows/Boot/PCAT/bootmgr", "boot manager pcat"},
                   {"Windows/Panther/unattend.xml", "<unattend from the image/>"},
                   {"Users/Public/readme.txt", "hello"}};
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
    json esp = {{"gptType", kEspType}, {"gptName", "EFI system partition"}, {"fileSystem", "FAT32"}, {"size", 104857600}};
    json system = {{"number", 0}, {"style", "GPT"}, {"bus", 17},
                   {"partitions", {partitionOf(m, 1, "esp0", esp), partitionOf(m, 3, "C", {{"letter", "C"}})}}};
    json target = {{"number", 1}, {"style", "GPT"}, {"bus", 11},
                   {"partitions", {partitionOf(m, 1, "esp1", esp), partitionOf(m, 2, "E", {{"letter", "E"}, {"label", "Target"}})}}};
    target.merge_patch(targetDisk);
    return {{"drives", {{"C", nullptr}}}, {"disks", {system, target}}};
}

inline void writeInstallImage(SimMachineFixture& m, const std::string& relative = "D/sources/install.wim") {
    testing::WimSpec spec;
    spec.images = {windowsLikeImage()};
    std::filesystem::create_directories(m.host(relative).parent_path());
    const std::string error = testing::writeWim(m.host(relative), spec);
    ASSERT_EQ(error, "");
}

struct SeenBox {
    std::wstring title;
    std::wstring text;
    int icon = 0;
    std::wstring defaultCaption;  // the default button's caption as first seen ("No (5)")
};

// Waits for the program's message box, notes it, and clicks `button` ("Yes", "No", "Ok").
inline SeenBox answerBox(ProgramRun& run, const std::string& button) {
    SeenBox box;
    auto& ui = run.ui();
    const bool open = run.user().waitUntil([&] { return ui.isWindow("MessageBox") && ui.isVisible("MessageBox"); });
    EXPECT_TRUE(open) << "no message box";
    if (!open) return box;
    box.title = ui.text("MessageBox");
    box.text = ui.text("MessageBoxText");
    const auto icon = ui.iconOf("MessageBoxIcon");
    box.icon = icon ? icon->index : 0;
    for (const char* b : {"MessageBoxYes", "MessageBoxNo", "MessageBoxOk"}) {
        if (ui.exists(b) && ui.focused("MessageBox") == b) box.defaultCaption = ui.text(b);
    }
    EXPECT_TRUE(run.user().click("MessageBox" + button)) << run.user().lastError();
    return box;
}

}  // namespace halvora::scenario
