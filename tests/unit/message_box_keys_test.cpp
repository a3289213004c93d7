// The keys of the program's message box behave as in Windows' own boxes.

#include <gtest/gtest.h>

#include "ui/message_box.hpp"

namespace halvora {
namespace {

MessageBoxLayout boxOf(int buttons, int defaultResult) { return layoutMessageBox({100, 20}, buttons, defaultResult); }

TEST(MessageBoxKeys, TabAndArrowsMoveRoundTheButtonsWithoutPressing) {
    const auto box = boxOf(kButtonsYesNoCancel, kResultYes);  // Yes 0, No 1, Cancel 2
    struct Case {
        int key;
        bool shift;
        int from;
        int to;
    };
    for (const Case& c : {Case{kKeyTab, false, 0, 1}, Case{kKeyTab, false, 2, 0}, Case{kKeyTab, true, 0, 2},
                          Case{kKeyRight, false, 1, 2}, Case{kKeyDown, false, 2, 0}, Case{kKeyLeft, false, 0, 2},
                          Case{kKeyUp, false, 2, 1}}) {
        const auto action = messageBoxKey(box, c.from, c.key, c.shift);
        EXPECT_EQ(action.focus, c.to) << c.key << (c.shift ? " with Shift" : "") << " from " << c.from;
        EXPECT_FALSE(action.press);
    }
}

TEST(MessageBoxKeys, EnterAndSpacePressTheFocusedButtonAndTheDefaultWhenNoneHasTheFocus) {
    const auto box = boxOf(kButtonsYesNo, kResultNo);
    for (int key : {kKeyEnter, kKeySpace}) {
        EXPECT_EQ(messageBoxKey(box, 0, key, false).focus, 0);
        EXPECT_TRUE(messageBoxKey(box, 0, key, false).press);
        const auto unfocused = messageBoxKey(box, -1, key, false);
        EXPECT_EQ(unfocused.focus, 1) << "No is the default";
        EXPECT_TRUE(unfocused.press);
    }
}

TEST(MessageBoxKeys, EscapeAnswersCancelOrOkAndDoesNothingInAYesNoBox) {
    const auto withCancel = messageBoxKey(boxOf(kButtonsYesNoCancel, kResultYes), 0, kKeyEscape, false);
    EXPECT_EQ(withCancel.focus, 2);
    EXPECT_TRUE(withCancel.press);
    const auto ok = messageBoxKey(boxOf(kButtonsOk, kResultOk), 0, kKeyEscape, false);
    EXPECT_EQ(ok.focus, 0);
    EXPECT_TRUE(ok.press);
    const auto yesNo = messageBoxKey(boxOf(kButtonsYesNo, kResultYes), 1, kKeyEscape, false);
    EXPECT_EQ(yesNo.focus, 1);
    EXPECT_FALSE(yesNo.press);
}

TEST(MessageBoxKeys, OtherKeysChangeNothing) {
    const auto action = messageBoxKey(boxOf(kButtonsYesNo, kResultYes), 1, 'A', false);
    EXPECT_EQ(action.focus, 1);
    EXPECT_FALSE(action.press);
}

}  // namespace
}  // namespace halvora
