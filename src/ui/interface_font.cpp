#include "ui/interface_font.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "ui/settings_session.hpp"

namespace halvora {

namespace {

constexpr long long kLargestFontSize = 72;

}  // namespace

const std::vector<FontSizeEntry>& seededFontSizes() {
    static const std::vector<FontSizeEntry> entries = {
        {L"Consolas", -11},    {L"맑은 고딕", -12},    {L"굴림체", -10},
        {L"굴림", -10},        {L"돋움체", -10},       {L"돋움", -10},
        {L"바탕체", -10},      {L"바탕", -10},         {L"궁서체", -10},
        {L"궁서", -10},        {L"나눔고딕코딩", -10}, {L"Malgun Gothic", -12},
        {L"GulimChe", -10},    {L"Gulim", -10},        {L"DotumChe", -10},
        {L"Dotum", -10},       {L"BatangChe", -10},    {L"Batang", -10},
        {L"GungsuhChe", -10},  {L"Gungsuh", -10},      {L"NanumGothicCoding", -10},
        {L"Courier New", -11}, {L"D2Coding", -11},     {L"Arial", -12},
        {L"Segoe UI", -12},    {L"MS Shell dlg", -13},
    };
    return entries;
}

int builtInFontSize(const std::wstring& font) {
    static const std::vector<std::wstring> ten = {
        L"GulimChe", L"굴림체", L"Gulim",      L"굴림",   L"DotumChe",          L"돋움체",
        L"Dotum",    L"돋움",   L"Batang",     L"바탕",   L"BatangChe",         L"바탕체",
        L"Gungsuh",  L"궁서",   L"GungsuhChe", L"궁서체", L"NanumGothicCoding", L"나눔고딕코딩"};
    static const std::vector<std::wstring> eleven = {L"Consolas", L"Courier New", L"D2Coding"};
    static const std::vector<std::wstring> twelve = {L"맑은 고딕", L"Malgun Gothic", L"Arial", L"Segoe UI"};
    // Font names are case-insensitive on Windows: the stock dialog font calls itself
    // "MS Shell Dlg", and an exact comparison would never find it.
    const auto listed = [&font](const std::vector<std::wstring>& names) {
        return std::any_of(names.begin(), names.end(),
                           [&font](const std::wstring& n) { return equalsIgnoreCase(n, font); });
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
    // A size typed by hand can be anything; beyond this a font is no use in the window, and the
    // message box's size one step further must still be a number.
    if (auto stored = settings.peek(font)) {
        size = static_cast<int>(std::clamp(parseLeadingInteger(*stored), -kLargestFontSize, kLargestFontSize));
    }
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

}  // namespace halvora
