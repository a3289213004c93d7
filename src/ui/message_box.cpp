#include "ui/message_box.hpp"

#include <algorithm>

namespace halvora {

namespace {

constexpr int kCountdownTimer = 700;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr std::uint32_t kBeepExclamation = 0x30;
const ControlName& kLabel = controls::MessageBoxText;
const ControlName& kStrip = controls::MessageBoxStrip;
const ControlName& kIcon = controls::MessageBoxIcon;

int defaultIndex(int buttons, int defaultResult) {
    if (buttons == kButtonsYesNo) return defaultResult == kResultYes ? 0 : 1;
    if (buttons == kButtonsYesNoCancel) {
        if (defaultResult == kResultNo) return 1;
        if (defaultResult == kResultCancel) return 2;
        return 0;
    }
    return 0;
}

}  // namespace

MessageBoxLayout layoutMessageBox(Size textSize, int buttons, int defaultResult) {
    MessageBoxLayout layout;
    const int w = std::max(textSize.w, 350);
    const int h = std::max(textSize.h, 32);
    layout.client = {w + 85, h + 75};
    layout.label = {60, 20, w, h};
    layout.strip = {0, layout.client.h - 45, w + 75, 45};
    const int x0 = layout.client.w / 2;
    const auto button = [](ControlName name, std::wstring caption, int result, int x) {
        return MessageBoxButton{std::move(name), std::move(caption), result, {x, 10, kButtonWidth, kButtonHeight}};
    };
    if (buttons == kButtonsYesNo) {
        layout.buttons = {button(controls::MessageBoxYes, L"Yes", kResultYes, x0),
                          button(controls::MessageBoxNo, L"No", kResultNo, x0 + 100)};
    } else if (buttons == kButtonsYesNoCancel) {
        layout.buttons = {button(controls::MessageBoxYes, L"Yes", kResultYes, x0 - 145),
                          button(controls::MessageBoxNo, L"No", kResultNo, x0 - 45),
                          button(controls::MessageBoxCancel, L"Cancel", kResultCancel, x0 + 55)};
    } else {
        layout.buttons = {button(controls::MessageBoxOk, L"Ok", kResultOk, x0 - 45)};
    }
    layout.defaultButton = defaultIndex(buttons, defaultResult);
    return layout;
}

MessageBoxKeyAction messageBoxKey(const MessageBoxLayout& layout, int focus, int key, bool shift) {
    const int count = static_cast<int>(layout.buttons.size());
    MessageBoxKeyAction action{focus, false};
    if (count == 0) return action;
    if (focus < 0 || focus >= count) action.focus = layout.defaultButton;
    const bool forward = (key == kKeyTab && !shift) || key == kKeyRight || key == kKeyDown;
    const bool backward = (key == kKeyTab && shift) || key == kKeyLeft || key == kKeyUp;
    if (forward) action.focus = (action.focus + 1) % count;
    if (backward) action.focus = (action.focus + count - 1) % count;
    if (key == kKeyEnter || key == kKeySpace) action.press = true;
    if (key == kKeyEscape) {
        for (int i = 0; i < count; ++i) {
            const int result = layout.buttons[static_cast<std::size_t>(i)].result;
            if (result == kResultCancel || (count == 1 && result == kResultOk)) {
                action.focus = i;
                action.press = true;
            }
        }
    }
    return action;
}

int messageBoxFontSize(int interfaceSize) {
    // A size of 0 means the font's size is not known; one step from it would be a font one
    // pixel high, so the platform's default height is kept.
    if (interfaceSize == 0) return 0;
    return interfaceSize < 0 ? interfaceSize - 1 : interfaceSize + 1;
}

std::wstring countdownCaption(const std::wstring& caption, int remainingSeconds) {
    return caption + L" (" + std::to_wstring(remainingSeconds) + L")";
}

int showMessageBox(Program& program, const MessageBoxRequest& request) {
    Toolkit& ui = program.ui;
    AppState& s = program.state;
    const ControlName& owner = request.owner;
    const std::wstring& text = request.text;
    const int countdownSeconds = request.countdownSeconds;
    const int fontSize = request.fontSize != 0 ? request.fontSize : messageBoxFontSize(s.FontSize);

    ui.setEnabled(owner, false);
    ui.createWindow(controls::MessageBox, L"", {400, 200}, owner,
                    kWindowNoCloseBox | kWindowTopMost | kWindowTakesKeys);
    s.MessageBoxOpen = true;
    ui.setWindowFont(controls::MessageBox, s.FontName, fontSize);
    ui.setColours(controls::MessageBox, kDefaultColour, s.Colours.labelMBox.background);

    ui.createControl({kLabel, ControlKind::Label, controls::MessageBox, text, {60, 20, 350, 32}});
    ui.setColours(kLabel, s.Colours.labelMBox.text, s.Colours.labelMBox.background);
    const MessageBoxLayout layout =
        layoutMessageBox(ui.measureText(kLabel, text), request.buttons, request.defaultResult);
    ui.setClientSize(controls::MessageBox, layout.client);
    ui.setRect(kLabel, layout.label);

    ui.createControl({kStrip, ControlKind::Panel, controls::MessageBox, L"", layout.strip});
    for (const auto& b : layout.buttons) ui.createControl({b.name, ControlKind::Button, kStrip, b.caption, b.rect});

    ui.setText(controls::MessageBox, request.title);
    ui.centreWindow(controls::MessageBox);
    ui.setVisible(controls::MessageBox, true);

    program.system.messageBeep(kBeepExclamation);
    ui.createControl({kIcon, ControlKind::Icon, controls::MessageBox, L"", {15, 20, 32, 32}});
    ui.setIcon(kIcon, program.system.systemDirectory() + L"\\Shell32.dll", request.icon, 32);

    const MessageBoxButton& preset = layout.buttons[static_cast<std::size_t>(layout.defaultButton)];
    const int countdownMs = countdownSeconds * 1000;
    if (countdownSeconds > 0) {
        ui.setText(preset.name, countdownCaption(preset.caption, countdownSeconds));
        ui.setTimer(controls::MessageBox, kCountdownTimer, 1000);
    }
    ui.setFocus(preset.name);

    bool closed = false;
    int elapsedMs = 0;
    for (bool done = false; !done;) {
        Event event = ui.waitEvent();
        const bool forBox = event.window == controls::MessageBox;
        if (event.kind == EventKind::Close && forBox) {
            closed = true;
            done = true;
        } else if (event.kind == EventKind::Control && forBox) {
            const auto hit = std::find_if(layout.buttons.begin(), layout.buttons.end(),
                                          [&event](const MessageBoxButton& b) { return b.name == event.control; });
            if (hit != layout.buttons.end()) {
                ui.setFocus(hit->name);
                done = true;
            }
        } else if (event.kind == EventKind::Key && forBox) {
            const ControlName focus = ui.focused(controls::MessageBox);
            const auto at = std::find_if(layout.buttons.begin(), layout.buttons.end(),
                                         [&focus](const MessageBoxButton& b) { return b.name == focus; });
            const int focusIndex = at == layout.buttons.end() ? -1 : static_cast<int>(at - layout.buttons.begin());
            const MessageBoxKeyAction action = messageBoxKey(layout, focusIndex, event.code, event.wparam != 0);
            ui.setFocus(layout.buttons[static_cast<std::size_t>(action.focus)].name);
            if (action.press) done = true;
        } else if (event.kind == EventKind::Timer && forBox && event.code == kCountdownTimer) {
            elapsedMs += 1000;
            ui.setText(preset.name, countdownCaption(preset.caption, (countdownMs - elapsedMs) / 1000));
            if (elapsedMs >= countdownMs) {
                ui.killTimer(controls::MessageBox, kCountdownTimer);
                ui.setFocus(preset.name);
                done = true;
            }
        } else if (event.kind == EventKind::Custom || event.kind == EventKind::CopyData) {
            // A worker may finish just as the box opens; losing its completion would leave the
            // program busy for ever, so the main loop gets it once the box is gone. A second
            // start's arguments wait for the box too.
            program.heldEvents.push_back(std::move(event));
        }
    }

    int result = kResultCancel;
    if (!closed) {
        const ControlName focus = ui.focused(controls::MessageBox);
        const auto hit = std::find_if(layout.buttons.begin(), layout.buttons.end(),
                                      [&focus](const MessageBoxButton& b) { return b.name == focus; });
        result = hit != layout.buttons.end() ? hit->result : preset.result;
    }
    ui.killTimer(controls::MessageBox, kCountdownTimer);
    // The owner comes back first, so that it, and not some other program, is activated when
    // the box goes away.
    ui.setEnabled(owner, true);
    ui.destroyWindow(controls::MessageBox);
    s.MessageBoxOpen = false;
    return result;
}

}  // namespace halvora
