#include "app/settings.hpp"

#include <algorithm>

#include "app/feature_support.hpp"
#include "base/text.hpp"
#include "ui/interface_font.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

int clampScanDepth(int depth) {
    if (depth < 1) return 2;
    return std::min(depth, 4);
}

}  // namespace

const std::vector<std::wstring>& seededExclusions() {
    static const std::vector<std::wstring> names = {
        L"Windows",      L"System32",      L"SysWOW64",
        L"WinSxS",       L"Program Files", L"Program Files (x86)",
        L"ProgramData",  L"Music",         L"Video",
        L"Picture",      L"$WinREAgent",   L"$WINDOWS.~BT",
        L"$windows.~ls", L"$Windows.~WS",  L"System Volume Information",
        L"Recycled",     L"$Recycle.Bin",  L"Documents And Settings",
        L"Boot",         L"EFI",           L"Temp",
        L"dlmanifests",  L"etwproviders",  L"replacementmanifests",
    };
    return names;
}

void loadSettings(Program& program) {
    AppState& s = program.state;
    Toolkit& ui = program.ui;
    std::wstring status = s.FontName + L": " + std::to_wstring(s.FontSize) + L".";

    const std::wstring system32 = s.SystemRoot + L"\\System32\\";
    const FeatureSupport features =
        evaluateFeatures(osVersionText(program.system), program.system.fileSize(system32 + L"Bcdboot.exe") > 0,
                         program.system.fileSize(system32 + L"VirtDisk.dll") > 0);
    s.BcdbootSupported = features.bcdboot;
    s.IsoSupported = features.iso;
    s.EsdSupported = features.esd;
    s.CompactSupported = features.compact;
    status += features.report;

    if (program.system.fileSize(s.ImagingLogPath) > 0) program.system.deleteFile(s.ImagingLogPath);
    if (program.system.fileSize(s.SettingsPath) < 0 && !program.system.folderExists(s.SettingsPath)) {
        program.system.writeFile(s.SettingsPath, "");
    }

    SettingsSession settings(program.system, s.SettingsPath);
    if (settings.isOpen()) {
        settings.selectGroup(kGroupMain);
        settings.readTextKey(L"Version", L"0.7");
        settings.readTextKey(L"useUserFontName", L"Consolas");

        const int depth = clampScanDepth(settings.readIntKey(L"ScanDepth", ui.spinValue(controls::ScanDepthSpin)));
        ui.setSpinValue(controls::ScanDepthSpin, depth);
        ui.setText(controls::ScanDepthSpin, std::to_wstring(depth));
        ui.setChecked(controls::SkipOsDriveCheck,
                      settings.readIntKey(L"ScanSkipOSDrive", ui.isChecked(controls::SkipOsDriveCheck) ? 1 : 0) != 0);
        ui.setChecked(controls::IncludeIsoCheck,
                      settings.readIntKey(L"ScanWithISO", ui.isChecked(controls::IncludeIsoCheck) ? 1 : 0) != 0);

        settings.selectGroup(kGroupFontSize);
        for (const auto& entry : seededFontSizes()) settings.readIntKey(entry.font, entry.size);

        settings.selectGroup(kGroupColours);
        for (const auto& key : colourKeys()) {
            ColourPair& pair = s.Colours.*(key.pair);
            pair.text = settings.readColourKey(std::wstring(key.prefix) + L"F", colourText(pair.text));
            pair.background = settings.readColourKey(std::wstring(key.prefix) + L"B", colourText(pair.background));
        }

        settings.selectGroup(kGroupExclusions);
        for (const auto& name : seededExclusions()) settings.readIntKey(name, 1);
        settings.close();
    }
    showStatus(program, status);
}

void writeSearchOption(Program& program, const std::wstring& key, int value) {
    SettingsSession settings(program.system, program.state.SettingsPath);
    if (!settings.isOpen()) return;
    settings.selectGroup(kGroupMain);
    settings.writeInt(key, value);
    settings.close();
}

}  // namespace halvora
