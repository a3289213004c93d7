#pragma once
// What the main window is made of: its controls in creation order (also the tab order), the
// tooltips, the options menu and the list columns. Positions are logical pixels relative to the
// parent; the win32 toolkit scales them by the screen's DPI.

#include <string>
#include <vector>

#include "platform/toolkit.hpp"
#include "ui/control_names.hpp"

namespace halvora {

inline constexpr int kMainWindowWidth = 770;
inline constexpr int kMainWindowHeight = 510;
inline constexpr int kImageListNormalHeight = 212;
inline constexpr int kImageListEnlargedHeight = 462;

// The small squares of the image-list toggles: normal and switched.
inline const std::wstring kToggleOff = L"◾";
inline const std::wstring kToggleOn = L"◼";

// Status bar fields, as the rest of the program names them.
inline constexpr int kStatusPercentField = 0;
inline constexpr int kStatusProgressField = 1;
inline constexpr int kStatusTimeField = 2;
inline constexpr int kStatusMessageField = 3;

// Options menu items (check items); 0 is the separator.
inline constexpr int kMenuCompact = 1;
inline constexpr int kMenuWimBoot = 2;
inline constexpr int kMenuVerify = 3;
inline constexpr int kMenuCheck = 4;
inline constexpr int kMenuLog = 5;

struct TooltipSpec {
    ControlName control;
    std::wstring title;
    std::wstring text;
    int icon = kTooltipNoIcon;
    bool programFont = false;
};

struct ColumnSpec {
    std::wstring title;
    int width = 0;
};

// Every control of the main window, in creation order; the status bar comes first.
const std::vector<ControlSpec>& mainWindowControls();
const std::vector<TooltipSpec>& mainWindowTooltips();
const std::vector<MenuItemSpec>& optionsMenuItems();
const std::vector<ColumnSpec>& imageListColumns();
const std::vector<ColumnSpec>& driveListColumns();
const std::vector<ColumnSpec>& searchListColumns();
// The lists that show drive records.
const std::vector<ControlName>& driveLists();

// Status-bar field widths before scaling; the last field takes the rest.
const std::vector<int>& statusFieldWidths();

// The text of the version label and the information box: "v0.7.7.0 x64".
std::wstring programVersionText();
std::wstring architectureSuffix();

}  // namespace halvora
