#include "app/settings.hpp"

#include <algorithm>

#include "app/feature_support.hpp"
#include "base/text.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

// A settings file this large is not ours: it is left alone and the defaults stay in force.
constexpr std::size_t kMaxSettingsBytes = 16u * 1024u * 1024u;

int clampScanDepth(int depth) {
    if (depth < 1) return 2;
    return std::min(depth, 4);
}

int countCommas(const std::wstring& s) { return static_cast<int>(std::count(s.begin(), s.end(), L',')); }

}  // namespace

SettingsSession::SettingsSession(System& system, std::wstring path) : system_(system), path_(std::move(path)) {
    // Start-up opens the file several times; a file too large to be ours is told by its size
    // alone, so it is never read at all. The read size is checked again, as the file may have
    // grown in between.
    const std::int64_t size = system_.fileSize(path_);
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxSettingsBytes) return;
    std::string bytes;
    if (system_.readFile(path_, bytes) && bytes.size() <= kMaxSettingsBytes) {
        file_ = SettingsFile::parse(bytes);
        open_ = true;
    }
}

std::optional<std::wstring> SettingsSession::peek(const std::wstring& key) const {
    if (!open_) return std::nullopt;
    return file_.value(group_, key);
}

int SettingsSession::readIntKey(const std::wstring& key, int defaultValue) {
    if (!open_) return defaultValue;
    if (auto stored = file_.value(group_, key)) {
        return static_cast<int>(std::clamp(parseLeadingInteger(*stored), -2147483647LL - 1, 2147483647LL));
    }
    writeInt(key, defaultValue);
    return defaultValue;
}

std::wstring SettingsSession::readTextKey(const std::wstring& key, const std::wstring& defaultValue) {
    if (!open_) return defaultValue;
    if (auto stored = file_.value(group_, key)) return *stored;
    file_.set(group_, key, defaultValue);
    changed_ = true;
    return defaultValue;
}

std::int32_t SettingsSession::readColourKey(const std::wstring& key, const std::wstring& defaultText) {
    const std::wstring fallback = countCommas(defaultText) == 2 ? defaultText : L"-1";
    if (!open_) return parseColour(fallback, fallback);
    auto stored = file_.value(group_, key);
    if (!stored) {
        file_.set(group_, key, fallback);
        changed_ = true;
        return parseColour(fallback, fallback);
    }
    return parseColour(*stored, fallback);
}

void SettingsSession::writeInt(const std::wstring& key, int value) {
    if (!open_) return;
    file_.set(group_, key, std::to_wstring(value));
    changed_ = true;
}

bool SettingsSession::close() {
    if (!open_ || !changed_) return open_;
    changed_ = false;
    return system_.writeFile(path_, file_.serialize());
}

std::wstring colourText(std::int32_t colour) {
    if (colour == -1) return L"-1";
    return std::to_wstring(colour & 0xFF) + L", " + std::to_wstring((colour >> 8) & 0xFF) + L", " +
           std::to_wstring((colour >> 16) & 0xFF);
}

std::int32_t parseColour(const std::wstring& text, const std::wstring& fallback) {
    const std::wstring chosen = countCommas(text) == 2 ? text : fallback;
    if (trimBlanksAndTabs(chosen) == L"-1") return -1;
    const auto fields = split(chosen, L',');
    if (fields.size() != 3) return -1;
    const auto channel = [](const std::wstring& field) {
        return static_cast<std::int32_t>(parseLeadingInteger(field) & 0xFF);
    };
    return channel(fields[0]) + 256 * channel(fields[1]) + 65536 * channel(fields[2]);
}

const std::vector<FontSizeEntry>& seededFontSizes() {
    static const std::vector<FontSizeEntry> entries = {
        {L"Consolas", -11},     {L"맑은 고딕", -12},     {L"굴림체", -10},      {L"굴림", -10},
        {L"돋움체", -10},       {L"돋움", -10},          {L"바탕체", -10},      {L"바탕", -10},
        {L"궁서체", -10},       {L"궁서", -10},          {L"나눔고딕코딩", -10}, {L"Malgun Gothic", -12},
        {L"GulimChe", -10},     {L"Gulim", -10},         {L"DotumChe", -10},    {L"Dotum", -10},
        {L"BatangChe", -10},    {L"Batang", -10},        {L"GungsuhChe", -10},  {L"Gungsuh", -10},
        {L"NanumGothicCoding", -10}, {L"Courier New", -11}, {L"D2Coding", -11}, {L"Arial", -12},
        {L"Segoe UI", -12},     {L"MS Shell dlg", -13},
    };
    return entries;
}

const std::vector<std::wstring>& seededExclusions() {
    static const std::vector<std::wstring> names = {
        L"Windows", L"System32", L"SysWOW64", L"WinSxS", L"Program Files", L"Program Files (x86)",
        L"ProgramData", L"Music", L"Video", L"Picture", L"$WinREAgent", L"$WINDOWS.~BT",
        L"$windows.~ls", L"$Windows.~WS", L"System Volume Information", L"Recycled", L"$Recycle.Bin",
        L"Documents And Settings", L"Boot", L"EFI", L"Temp", L"dlmanifests", L"etwproviders",
        L"replacementmanifests",
    };
    return names;
}

int builtInFontSize(const std::wstring& font) {
    static const std::vector<std::wstring> ten = {
        L"GulimChe", L"굴림체", L"Gulim", L"굴림", L"DotumChe", L"돋움체", L"Dotum", L"돋움", L"Batang", L"바탕",
        L"BatangChe", L"바탕체", L"Gungsuh", L"궁서", L"GungsuhChe", L"궁서체", L"NanumGothicCoding", L"나눔고딕코딩"};
    static const std::vector<std::wstring> eleven = {L"Consolas", L"Courier New", L"D2Coding"};
    static const std::vector<std::wstring> twelve = {L"맑은 고딕", L"Malgun Gothic", L"Arial", L"Segoe UI"};
    // Font names are case-insensitive on Windows: the stock dialog font calls itself
    // "MS Shell Dlg", and an exact comparison would never find it.
    const auto listed = [&font](const std::vector<std::wstring>& names) {
        return std::any_of(names.begin(), names.end(), [&font](const std::wstring& n) { return equalsIgnoreCase(n, font); });
    };
    if (listed(ten)) return -10;
    if (listed(eleven)) return -11;
    if (listed(twelve)) return -12;
    if (equalsIgnoreCase(font, L"MS Shell dlg")) return -13;
    return 0;
}

int fontSizeFor(Program& program, const std::wstring& font) {
    SettingsSession settings(program.system, program.state.SettingsPath);
    settings.selectGroup(kGroupFontSize);
    int size = 0;
    if (auto stored = settings.peek(font)) size = static_cast<int>(parseLeadingInteger(*stored));
    return size != 0 ? size : builtInFontSize(font);
}

void chooseFont(Program& program) {
    AppState& s = program.state;
    {
        SettingsSession settings(program.system, s.SettingsPath);
        settings.selectGroup(kGroupMain);
        s.FontName = settings.peek(L"useUserFontName").value_or(L"Consolas");
    }
    if (!program.ui.fontInstalled(s.FontName)) {
        if (auto caption = program.ui.smallCaptionFont()) {
            std::wstring face = caption->face;
            while (!face.empty() && face.back() == L' ') face.pop_back();
            s.FontName = face;
            s.FontSize = caption->height;
        }
    }
    if (!program.ui.fontInstalled(s.FontName)) {
        const FontSpec gui = program.ui.stockGuiFont();
        s.FontName = gui.face;
        s.FontSize = gui.height;
    }
    s.FontSize = fontSizeFor(program, s.FontName);
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

        const int depth = clampScanDepth(settings.readIntKey(L"ScanDepth", ui.spinValue("ScanDepthSpin")));
        ui.setSpinValue("ScanDepthSpin", depth);
        ui.setText("ScanDepthSpin", std::to_wstring(depth));
        ui.setChecked("SkipOsDriveCheck",
                      settings.readIntKey(L"ScanSkipOSDrive", ui.isChecked("SkipOsDriveCheck") ? 1 : 0) != 0);
        ui.setChecked("IncludeIsoCheck",
                      settings.readIntKey(L"ScanWithISO", ui.isChecked("IncludeIsoCheck") ? 1 : 0) != 0);

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
