#include "app/command_line.hpp"

#include <limits>

#include "app/single_instance.hpp"
#include "base/text.hpp"
#include "disks/boot_location.hpp"
#include "disks/drive_lists.hpp"
#include "images/image_list.hpp"
#include "ui/customisation_choice.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/option_summary.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

std::wstring driveValue(const std::wstring& value) {
    std::wstring drive = toUpper(value);
    if (drive.size() > 2) drive.resize(2);
    return drive;
}

// The 0-based image index of an /Index: value. A number no image count can reach would wrap
// round as an int and pick some other image, so it reads as text that is not a number.
int indexValue(const std::wstring& value) {
    const long long number = parseLeadingInteger(value);
    if (number <= std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(number) - 1;
}

int afterChoiceFor(const std::wstring& word) {
    if (equalsIgnoreCase(word, L"shutdown")) return kAfterShutdown;
    if (equalsIgnoreCase(word, L"reboot")) return kAfterReboot;
    if (equalsIgnoreCase(word, L"Finish")) return kAfterFinish;
    return kAfterReady;
}

// Whole-argument switches, tested in this order.
bool takeSwitch(const std::wstring& field, ParsedCommandLine& parsed) {
    struct Switch {
        const wchar_t* name;
        bool ParsedCommandLine::*flag;
    };
    static const Switch switches[] = {
        {L"/d", &ParsedCommandLine::keepBootEntries}, {L"/Compact", &ParsedCommandLine::compact},
        {L"/Verify", &ParsedCommandLine::verify},     {L"/Check", &ParsedCommandLine::check},
        {L"/Log", &ParsedCommandLine::log},           {L"/ApplyStart", &ParsedCommandLine::applyStart},
        {L"/WIMboot", &ParsedCommandLine::wimBoot},
    };
    for (const auto& s : switches) {
        if (equalsIgnoreCase(field, s.name)) {
            parsed.*(s.flag) = true;
            return true;
        }
    }
    return false;
}

// Options with a value; a field belongs to the first prefix found anywhere in it.
bool takePrefixed(const std::wstring& field, ParsedCommandLine& parsed) {
    static const wchar_t* const prefixes[] = {L"/ApplyDrv:", L"/BootDrv:", L"/ImageFile:", L"/Index:",
                                              L"/XmlFile:",  L"/OemPath:", L"/after:"};
    for (std::size_t i = 0; i < std::size(prefixes); ++i) {
        if (findIgnoreCase(field, prefixes[i]) == std::wstring::npos) continue;
        const std::wstring value = removeAllIgnoreCase(field, prefixes[i]);
        switch (i) {
            case 0:
                parsed.applyDrives.push_back(driveValue(value));
                break;
            case 1:
                parsed.bootDrive = driveValue(value);
                break;
            case 2:
                parsed.imageFile = value;
                break;
            case 3:
                parsed.index = indexValue(value);
                parsed.hasIndex = true;
                break;
            case 4:
                parsed.xmlFile = value;
                break;
            case 5:
                parsed.oemPath = value;
                break;
            default:
                parsed.afterChoice = afterChoiceFor(value);
                break;
        }
        return true;
    }
    return false;
}

}  // namespace

ParsedCommandLine parseArguments(const std::wstring& text) {
    ParsedCommandLine parsed;
    std::wstring joined = text;
    while (!joined.empty() && joined.back() == L'|') joined.pop_back();
    std::wstring bare;
    for (const std::wstring& raw : split(joined, L'|')) {
        const std::wstring field = trimSpaces(raw);
        if (takeSwitch(field, parsed) || takePrefixed(field, parsed)) continue;
        if (field.size() >= 2) bare = field;
    }
    if (bare.size() >= 2 && parsed.imageFile.empty()) parsed.imageFile = bare;
    return parsed;
}

bool parseCommandLine(Program& program, const std::wstring& text, bool startup) {
    Toolkit& ui = program.ui;
    const AppState& s = program.state;
    if (s.anyWorkerAlive() || s.Busy.load() || !ui.isEnabled(controls::MainWindow)) return false;
    if (!startup && !ui.isVisible(controls::MainPanel)) return false;

    const ParsedCommandLine parsed = parseArguments(text.empty() ? handOverText(program.system.arguments()) : text);
    if (parsed.keepBootEntries) ui.setChecked(controls::KeepBootEntriesCheck, true);
    if (parsed.compact) ui.setMenuItemChecked(controls::OptionsMenu, kMenuCompact, true);
    if (parsed.verify) ui.setMenuItemChecked(controls::OptionsMenu, kMenuVerify, true);
    if (parsed.check) ui.setMenuItemChecked(controls::OptionsMenu, kMenuCheck, true);
    if (parsed.log) ui.setMenuItemChecked(controls::OptionsMenu, kMenuLog, true);
    if (parsed.afterChoice >= 0) ui.setComboSelection(controls::AfterInstallCombo, parsed.afterChoice);
    for (const std::wstring& drive : parsed.applyDrives) {
        const int row = findDriveRow(program, controls::TargetDriveList, drive);
        if (row >= 0) {
            ui.selectRow(controls::TargetDriveList, row);
            selectDriveRow(program, controls::TargetDriveList, row, controls::TargetRow, 0, true);
        }
    }
    System& sys = program.system;
    if (!parsed.imageFile.empty() && sys.fileSize(parsed.imageFile) > 0) {
        selectImageFile(program, parsed.imageFile, parsed.index);
    }
    // The usage text promises that asking for both Compact and WIMBoot cancels the
    // installation at once: WIMBoot is not marked and nothing starts by itself.
    const bool conflicting = parsed.compact && parsed.wimBoot;
    // WIMBoot only for an image that allows it, which the image just chosen decides; it takes
    // the place of Compact as the menu does.
    if (parsed.wimBoot && !conflicting && ui.isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot)) {
        ui.setMenuItemChecked(controls::OptionsMenu, kMenuWimBoot, true);
        ui.setMenuItemChecked(controls::OptionsMenu, kMenuCompact, false);
    }
    if (!parsed.oemPath.empty()) {
        if (sys.folderExists(parsed.oemPath)) {
            setOemPath(program, parsed.oemPath, true);
        } else {
            ui.setText(controls::OemEdit, L"");
        }
    }
    if (!parsed.xmlFile.empty()) {
        if (sys.fileSize(parsed.xmlFile) >= 2) {
            setAnswerFile(program, parsed.xmlFile);
        } else {
            ui.setText(controls::XmlEdit, L"");
        }
    }
    if (!parsed.bootDrive.empty() && parsed.bootDrive != L"*") {
        clearBootLocation(program);
        const int row = findDriveRow(program, controls::BootDriveList, parsed.bootDrive);
        if (row >= 0) {
            ui.selectRow(controls::BootDriveList, row);
            selectDriveRow(program, controls::BootDriveList, row, controls::BootRow, 0, true);
        }
    }
    rebuildOptionSummary(program);
    if (conflicting) {
        // After the image's own summary, which choosing the image wrote into the same field.
        showStatus(program, kCompactWithWimBootText);
        return false;
    }
    return parsed.applyStart;
}

}  // namespace halvora
