#pragma once
// The state the sim toolkit keeps for each window and control. One record type serves every
// kind; the fields a kind does not use stay at their defaults.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/toolkit.hpp"

namespace halvora::sim {

// The sim's font: every character has a fixed width, wide scripts (Hangul, CJK) twice or so.
inline int simCharWidth(wchar_t c) { return static_cast<unsigned>(c) >= 0x1100 ? 12 : 7; }
inline int simTextWidth(const std::wstring& line) {
    int width = 0;
    for (wchar_t c : line) width += simCharWidth(c);
    return width;
}
// What a list view adds to the text's width when it sizes a column to fit.
inline constexpr int kSimColumnMargin = 12;

struct SimColumn {
    std::wstring title;
    int width = 0;
    ColumnAlign align = ColumnAlign::Left;
};

struct SimRow {
    std::vector<std::wstring> cells;
    int icon = -1;                                                 // position in the list's icon list, -1 for none
    std::map<int, std::pair<std::int32_t, std::int32_t>> colours;  // column -> text, background
};

struct SimIcon {
    std::wstring file;
    int index = 0;
    int size = 0;  // Icon controls only
};

struct SimMenuItem {
    int id = 0;
    std::wstring text;
    bool checked = false;
    bool enabled = true;
};

struct SimMenu {
    std::vector<SimMenuItem> items;
    std::string openFor;  // the window the menu is open for, "" when closed
};

struct SimTooltip {
    std::string control;
    std::wstring title;
    std::wstring text;
    int icon = kTooltipNoIcon;
    bool programFont = false;
};

struct SimTaskbar {
    bool created = false;
    std::string window;
    int releases = 0;
    bool showingProgress = false;  // after setTaskbarProgress, until clearTaskbarProgress
    std::uint64_t done = 0;
    std::uint64_t total = 0;
};

struct SimTimer {
    std::string window;
    int id = 0;
    int interval = 0;
    std::uint64_t due = 0;
    std::uint64_t order = 0;  // timers due at the same moment fire in the order they were set
};

struct SimControl {
    std::string name;
    bool isWindow = false;
    ControlKind kind = ControlKind::Panel;  // controls only
    std::string parent;                     // "" for windows
    std::vector<std::string> children;      // in creation order
    std::wstring text;                      // windows: the title
    Rect rect;                              // windows: 0, 0 and the client size
    unsigned flags = 0;                     // ControlFlag or WindowFlag bits
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::int32_t textColour = kDefaultColour;
    std::int32_t backgroundColour = kDefaultColour;
    std::optional<FontSpec> font;  // nullopt: the system font

    // Windows.
    std::string owner;
    std::uint64_t id = 0;  // in the machine's window registry
    bool minimised = false;
    int centred = 0;
    bool acceptsDrops = false;
    std::string focus;
    std::optional<FontSpec> controlFont;  // given to controls created from now on
    bool acceptsCopyData = false;
    bool closeTaken = false;  // the program took a close request for it from its queue

    // Lists and drive rows.
    std::vector<SimColumn> columns;
    std::vector<SimRow> rows;
    int selected = -1;
    int ensuredVisible = -1;
    std::vector<SimIcon> listIcons;

    // Combo boxes.
    std::vector<std::wstring> items;
    int comboSelection = -1;

    // Spin fields.
    int low = 0;
    int high = 100;
    int value = 0;

    // Status bars.
    std::vector<int> fieldWidths;
    std::map<int, std::wstring> fieldTexts;
    int progress = 0;

    // Icon controls.
    std::optional<SimIcon> icon;
};

}  // namespace halvora::sim
