// The machine description: its defaults, fields of the wrong shape or unknown names refused with
// the JSON path of the field, and loading from a file with folders relative to it.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/machine/sim_machine.hpp"
#include "host_shell.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

using halvora::testing::TempFolder;
using nlohmann::json;

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
        {json::array({1, 2}), "the top level: must be an object"},
        {{{"windowsVersion", {{"major", "ten"}}}}, "/windowsVersion/major: "},
        {{{"windowsVersion", {{"build", -1}}}}, "/windowsVersion/build: must be a whole number from 0 to 4294967295"},
        {{{"ntdllMissing", "yes"}}, "/ntdllMissing: "},
        {{{"environment", {{"PATH", 5}}}}, "/environment/PATH: "},
        {{{"tempPath", 3}}, "/tempPath: "},
        {{{"arguments", "/Index:2"}}, "/arguments: "},
        {{{"drives", {{"CD", "/tmp"}}}}, "/drives/CD: must be keyed by a drive letter"},
        {{{"drives", {{"C", 1}}}}, "/drives/C: "},
        {{{"readOnly", {"Halvora"}}}, "/readOnly/0: must be a drive path"},
        {{{"versionResources", {{"wimgapi.dll", json::object()}}}},
         "/versionResources/wimgapi.dll: must be keyed by a drive path"},
        {{{"versionResources", {{"C:\\x.dll", {{"translation", {1033}}}}}}},
         "/versionResources/C:\\x.dll/translation: "},
        {{{"versionResources", {{"C:\\x.dll", {{"translation", {1033, 70000}}}}}}},
         "/versionResources/C:\\x.dll/translation/1: "},
        {{{"versionResources", {{"C:\\x.dll", {{"strings", {{"FileVersion", 10}}}}}}}},
         "/versionResources/C:\\x.dll/strings/FileVersion: "},
        {{{"fonts", {"Consolas", 1}}}, "/fonts/1: "},
        {{{"smallCaptionFont", {{"face", "Segoe UI"}}}}, "/smallCaptionFont/height: must be given"},
        {{{"guiFont", "MS Shell Dlg"}}, "/guiFont: "},
        {{{"dpi", 0}}, "/dpi: must be a whole number from 48 to 960"},
        {{{"dpi", 96.5}}, "/dpi: must be a whole number from 48 to 960"},
        {{{"isoLetterDelay", -1}}, "/isoLetterDelay: must be a whole number from 0 to 86400000"},
        {{{"bcdboot", {{"exitCode", "193"}}}}, "/bcdboot/exitCode: "},
        {{{"bcdboot", "yes"}}, "/bcdboot: must be true, false or an object"},
        // A misspelt field would leave the machine other than its writer meant.
        {{{"readonly", {"D:\\Halvora"}}}, "/readonly: is not a known field (did you mean \"readOnly\"?)"},
        {{{"windowsVersion", {{"major", 10}, {"revision", 1}}}}, "/windowsVersion/revision: is not a known field"},
        {{{"disks",
           {{{"number", 0}, {"style", "GPT"}, {"partitions", {{{"number", 1}, {"folder", "p"}, {"Letter", "E"}}}}}}}},
         "/disks/0/partitions/0/Letter: is not a known field (did you mean \"letter\"?)"},
        {{{"disks", {{{"number", 0}, {"style", "GPT"}, {"serial", 7}}}}}, "/disks/0/serial: is not a known field"},
        {{{"cdroms", {{{"letter", "F"}, {"folder", "f"}, {"label", "x"}}}}}, "/cdroms/0/label: is not a known field"},
        {{{"bcdboot", {{"exitcode", 1}}}}, "/bcdboot/exitcode: is not a known field (did you mean \"exitCode\"?)"},
        // Failing a platform call: only calls the sim knows and can fail, from the first call on,
        // with an error Windows could give.
        {{{"failCalls", {{{"call", "WIMApplyImages"}, {"error", 112}}}}},
         "/failCalls/0/call: \"WIMApplyImages\" is no platform call the simulated machine knows"},
        {{{"failCalls", {{{"call", "Sleep"}, {"error", 5}}}}},
         "/failCalls/0/call: Sleep cannot fail in a way the program could see"},
        {{{"failCalls", {{{"call", "ReadFile"}, {"nth", 0}, {"error", 5}}}}},
         "/failCalls/0/nth: must be a whole number from 1"},
        {{{"failCalls", {{{"call", "ReadFile"}, {"error", 0}}}}}, "/failCalls/0/error: must be a whole number from 1"},
        {{{"failCalls", {{{"call", "ReadFile"}}}}}, "/failCalls/0/error: must be given"},
        {{{"failCalls", {{{"call", "ReadFile"}, {"error", 5}, {"times", 2}}}}},
         "/failCalls/0/times: is not a known field"},
        // A real disk: where its sectors are and its letters; the rest comes from its table.
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"style", "GPT"}}}}},
         "/disks/0/style: comes from the real disk's own partition table"},
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"partitions", json::array()}}}}},
         "/disks/0/partitions: comes from the real disk's own partition table"},
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"device", "/dev/sdb"}}}}},
         "/disks/0/device: cannot stand beside \"image\""},
        {{{"disks", {{{"number", 1}, {"device", "sdb"}}}}}, "/disks/0/device: must be a whole path"},
        {{{"disks", {{{"number", 1}, {"image", ""}}}}}, "/disks/0/image: must name a file"},
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"letters", {{"0", "E"}}}}}}},
         "/disks/0/letters/0: the key must be a partition number from 1 on"},
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"letters", {{"2", "EF"}}}}}}}, "/disks/0/letters/2: "},
        {{{"disks", {{{"number", 1}, {"image", "d.img"}, {"letters", {"E"}}}}}},
         "/disks/0/letters: must be an object of partition numbers and letters"},
        {{{"drives", {{"E", "e"}}}, {"disks", {{{"number", 1}, {"image", "d.img"}, {"letters", {{"2", "E"}}}}}}},
         "/disks/0/letters/2: the letter E: is used twice"},
    };
    for (const auto& [description, expected] : cases) {
        std::string error;
        EXPECT_FALSE(SimMachine::fromJson(description, error)) << description.dump();
        EXPECT_EQ(error.rfind("machine description: " + expected, 0), 0u) << description.dump() << " gave: " << error;
    }
}

TEST(SimMachineDescription, LoadReportsMissingFilesAndBadJsonAndResolvesRelativeDrives) {
    TempFolder t;
    std::string error;
    EXPECT_FALSE(SimMachine::load((t.root() / "none.json").string(), error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;

    t.write("bad.json", "{\"dpi\": 96,");
    error.clear();
    EXPECT_FALSE(SimMachine::load((t.root() / "bad.json").string(), error));
    EXPECT_NE(error.find("not valid JSON"), std::string::npos) << error;

    t.write("m/machine.json", R"({"drives": {"c:": "drive-c"}, "smallCaptionFont": null})");
    auto m = SimMachine::load((t.root() / "m/machine.json").string(), error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->drives().at(L'C'), t.root() / "m/drive-c");
    EXPECT_FALSE(m->description().smallCaptionFont);

    // A real disk image is found beside the description; a letter for a partition its table
    // does not have stops the machine before anything is attached.
    const std::string image = (t.root() / "m/disk.img").string();
    ASSERT_EQ(halvora::testing::runShell("truncate -s 20M " + image +
                                         " && printf 'label: dos\\nstart=2048, type=7\\n' | sfdisk -q " + image),
              0);
    t.write("m/real.json", R"({"disks": [{"number": 1, "image": "disk.img", "letters": {"1": "E", "3": "F"}}]})");
    EXPECT_FALSE(SimMachine::load((t.root() / "m/real.json").string(), error));
    EXPECT_EQ(error, "machine description: disk 1 (" + (t.root() / "m/disk.img").string() +
                         "): letter F: the disk has no partition 3");
}

}  // namespace
}  // namespace halvora::sim
