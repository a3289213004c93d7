#include <gtest/gtest.h>

#include "ui/message_box.hpp"

namespace halvora {
namespace {

TEST(MessageBoxLayout, ShortTextKeepsTheMinimumLabel) {
    const auto l = layoutMessageBox({100, 16}, kButtonsOk, kResultYes);
    EXPECT_EQ(l.label, (Rect{60, 20, 350, 32}));
    EXPECT_EQ(l.client, (Size{435, 107}));
    EXPECT_EQ(l.strip, (Rect{0, 62, 425, 45}));
    ASSERT_EQ(l.buttons.size(), 1u);
    EXPECT_EQ(l.buttons[0].rect, (Rect{217 - 45, 10, 90, 25}));
    EXPECT_EQ(l.buttons[0].result, kResultOk);
}

TEST(MessageBoxLayout, LongTextGrowsTheBox) {
    const auto l = layoutMessageBox({600, 320}, kButtonsYesNo, kResultNo);
    EXPECT_EQ(l.client, (Size{685, 395}));
    EXPECT_EQ(l.label, (Rect{60, 20, 600, 320}));
    EXPECT_EQ(l.strip.y, 350);
    EXPECT_EQ(l.buttons[0].rect.x, 342);
    EXPECT_EQ(l.buttons[1].rect.x, 442);
}

TEST(MessageBoxLayout, YesNoCancelPositionsAndDefaults) {
    const auto l = layoutMessageBox({0, 0}, kButtonsYesNoCancel, kResultCancel);
    ASSERT_EQ(l.buttons.size(), 3u);
    EXPECT_EQ(l.buttons[0].rect.x, 217 - 145);
    EXPECT_EQ(l.buttons[1].rect.x, 217 - 45);
    EXPECT_EQ(l.buttons[2].rect.x, 217 + 55);
    EXPECT_EQ(l.defaultButton, 2);
    EXPECT_EQ(layoutMessageBox({0, 0}, kButtonsYesNoCancel, 99).defaultButton, 0);
    EXPECT_EQ(layoutMessageBox({0, 0}, kButtonsYesNoCancel, kResultNo).defaultButton, 1);
}

TEST(MessageBoxLayout, YesNoDefaultsToNoUnlessYesIsAsked) {
    EXPECT_EQ(layoutMessageBox({0, 0}, kButtonsYesNo, kResultYes).defaultButton, 0);
    EXPECT_EQ(layoutMessageBox({0, 0}, kButtonsYesNo, kResultCancel).defaultButton, 1);
    EXPECT_EQ(layoutMessageBox({0, 0}, 1, kResultNo).buttons.size(), 1u);  // any other value: Ok
}

TEST(MessageBoxLayout, FontIsOneStepLargerUnlessItsSizeIsUnknown) {
    EXPECT_EQ(messageBoxFontSize(-11), -12);
    EXPECT_EQ(messageBoxFontSize(12), 13);
    EXPECT_EQ(messageBoxFontSize(0), 0);
}

TEST(MessageBoxLayout, CountdownCaption) { EXPECT_EQ(countdownCaption(L"No", 5), L"No (5)"); }

}  // namespace
}  // namespace halvora
