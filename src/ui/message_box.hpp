#pragma once
// The program's own message box: the interface font and the settings' colours, an icon from
// Shell32.dll, Yes/No, Yes/No/Cancel or Ok, and a countdown that answers with the default
// button when the time runs out.

#include <string>
#include <vector>

#include "platform/geometry.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/program_context.hpp"

namespace halvora {

enum MessageBoxButtons { kButtonsOk = 0, kButtonsYesNoCancel = 3, kButtonsYesNo = 4 };
enum MessageBoxResult { kResultOk = 0, kResultCancel = 2, kResultYes = 6, kResultNo = 7 };

// Shell32.dll icons the program uses.
inline constexpr int kIconInformation = -16783;
inline constexpr int kIconWarning = -161;
inline constexpr int kIconError = -240;
inline constexpr int kIconShutdown = -28;

struct MessageBoxButton {
    ControlName name;
    std::wstring caption;
    int result;
    Rect rect;  // inside the button strip
};

struct MessageBoxLayout {
    Size client;
    Rect label;
    Rect strip;
    std::vector<MessageBoxButton> buttons;  // in tab order
    int defaultButton = 0;                  // index into buttons
};

// Where everything goes for a text that needs `textSize`; the box grows with long texts and
// keeps a 350 x 32 label for short ones.
MessageBoxLayout layoutMessageBox(Size textSize, int buttons, int defaultResult);

// The box's font size for an interface font of `interfaceSize`: one step larger.
int messageBoxFontSize(int interfaceSize);

// The caption of the default button while the countdown runs: "No (4)".
std::wstring countdownCaption(const std::wstring& caption, int remainingSeconds);

// What a key does in the box, as in Windows' own boxes: Tab, Right and Down move the focus to
// the next button and Shift+Tab, Left and Up to the one before (round the ends); Enter and
// Space press the focused button; Esc presses Cancel where there is one and Ok in an Ok box,
// and does nothing in a Yes/No box.
struct MessageBoxKeyAction {
    int focus = 0;       // the button that has the focus afterwards (an index into buttons)
    bool press = false;  // that button is pressed
};
MessageBoxKeyAction messageBoxKey(const MessageBoxLayout& layout, int focus, int key, bool shift);

// What a box shows and how it answers by itself. Call sites name what differs from a plain
// notice over the main window with an Ok button: {.title = ..., .text = ..., .icon = ...}.
struct MessageBoxRequest {
    ControlName owner = controls::MainWindow;  // disabled while the box is open
    std::wstring title;
    std::wstring text;
    int buttons = kButtonsOk;
    // The button that has the focus first and that the countdown presses. A question left to
    // itself is answered No unless it says otherwise; an Ok box has only Ok.
    int defaultResult = kResultNo;
    int countdownSeconds = 0;  // 0: no countdown
    int icon = kIconInformation;
    int fontSize = 0;  // 0: one step larger than the interface font
};

// Shows the box and returns 6 Yes, 7 No, 2 Cancel (or closed), 0 Ok. Worker completion events
// that arrive meanwhile are kept for the main loop.
int showMessageBox(Program& program, const MessageBoxRequest& request);

}  // namespace halvora
