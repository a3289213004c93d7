// The program's message box on its own: the box runs on an interface thread of its own while
// the test answers it, waits, or closes it as a worker would.

#include "sim_session.hpp"
#include "ui/main_window_events.hpp"
#include "ui/message_box.hpp"

namespace halvora::scenario {
namespace {

class MessageBoxScenario : public ::testing::Test {
protected:
    void SetUp() override {
        program_.state.SystemRoot = L"C:\\Windows";
        ASSERT_EQ(
            toolkit_.createWindow(controls::MainWindow, L"Halvora", {770, 510}, ControlName(), kWindowMinimiseBox), 0u);
        toolkit_.setVisible(controls::MainWindow, true);
    }
    void TearDown() override {
        closeLeftOverBox(toolkit_, result_);
        if (box_.joinable()) box_.join();
    }

    void open(const std::wstring& text, int buttons, int defaultResult, int countdown, int icon = kIconWarning) {
        std::promise<int> answer;
        result_ = answer.get_future();
        box_ = std::thread([=, this, answer = std::move(answer)]() mutable {
            answer.set_value(showMessageBox(program_, {.owner = controls::MainWindow,
                                                       .title = L"주 의",
                                                       .text = text,
                                                       .buttons = buttons,
                                                       .defaultResult = defaultResult,
                                                       .countdownSeconds = countdown,
                                                       .icon = icon}));
        });
        ASSERT_TRUE(user_.waitUntil(
            [this] { return toolkit_.isWindow("MessageBox") && toolkit_.isVisible(controls::MessageBox); },
            sim::kDefaultWait));
        ASSERT_TRUE(user_.waitIdle(sim::kDefaultWait));
    }
    int result() {
        EXPECT_EQ(result_.wait_for(sim::kDefaultWait), std::future_status::ready);
        box_.join();
        return result_.get();
    }
    bool answered() { return result_.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }

    SimMachineFixture fixture_;
    sim::SimSystem system_{fixture_.machine(), {}};
    sim::SimToolkit toolkit_{fixture_.machine()};
    sim::ScriptedUser user_{toolkit_};
    Program program_{system_, toolkit_};
    std::thread box_;
    std::future<int> result_;
};

TEST_F(MessageBoxScenario, CountdownShowsTheSecondsAndAnswersWithTheDefault) {
    open(L"설치를 중단 하시겠습니까?", kButtonsYesNo, kResultNo, 5);
    EXPECT_EQ(toolkit_.text(controls::MessageBoxNo), L"No (5)");
    EXPECT_EQ(toolkit_.text(controls::MessageBoxYes), L"Yes");
    EXPECT_EQ(toolkit_.focused(controls::MessageBox), controls::MessageBoxNo);
    for (int left = 4; left >= 1; --left) {
        user_.advance(1000);
        EXPECT_EQ(toolkit_.text(controls::MessageBoxNo), L"No (" + std::to_wstring(left) + L")");
        EXPECT_FALSE(answered());
    }
    user_.advance(1000);
    EXPECT_EQ(result(), kResultNo);
    EXPECT_FALSE(toolkit_.isWindow("MessageBox"));
    EXPECT_TRUE(toolkit_.isEnabled(controls::MainWindow));
}

TEST_F(MessageBoxScenario, ClickingYesBeforeTheTimeRunsOutAnswersYes) {
    open(L"text", kButtonsYesNo, kResultNo, 5);
    user_.advance(2000);
    ASSERT_TRUE(user_.click("MessageBoxYes"));
    EXPECT_EQ(result(), kResultYes);
}

TEST_F(MessageBoxScenario, DefaultYesCountdownOfSevenAnswersYes) {
    open(L"시스템을 다시 시작 합니다!", kButtonsYesNo, kResultYes, 7, kIconShutdown);
    EXPECT_EQ(toolkit_.text(controls::MessageBoxYes), L"Yes (7)");
    user_.advance(6000);
    EXPECT_FALSE(answered());
    user_.advance(1000);
    EXPECT_EQ(result(), kResultYes);
}

TEST_F(MessageBoxScenario, ACloseEventAnswersCancelEvenWithDefaultYes) {
    open(L"text", kButtonsYesNo, kResultYes, 7);
    user_.requestClose("MessageBox");
    EXPECT_EQ(result(), kResultCancel);
}

TEST_F(MessageBoxScenario, EnterPressesTheDefaultButtonAndTabMovesTheFocusFirst) {
    open(L"계속 하시겠습니까?", kButtonsYesNo, kResultNo, 0);
    EXPECT_EQ(user_.windowInFront(), "MessageBox");
    ASSERT_TRUE(user_.pressKey(kKeyEnter)) << user_.lastError();
    EXPECT_EQ(result(), kResultNo);

    open(L"계속 하시겠습니까?", kButtonsYesNo, kResultNo, 0);
    ASSERT_TRUE(user_.pressKey(kKeyTab));
    EXPECT_EQ(toolkit_.focused(controls::MessageBox), controls::MessageBoxYes);
    EXPECT_FALSE(answered());
    ASSERT_TRUE(user_.pressKey(kKeyRight));
    ASSERT_TRUE(user_.pressKey(kKeyLeft));
    ASSERT_TRUE(user_.pressKey(kKeySpace));
    EXPECT_EQ(result(), kResultYes);
}

TEST_F(MessageBoxScenario, EscapeAnswersCancelOrOkAndIsIgnoredByAYesNoBox) {
    open(L"저장 할까요?", kButtonsYesNoCancel, kResultYes, 0);
    ASSERT_TRUE(user_.pressKey(kKeyEscape));
    EXPECT_EQ(result(), kResultCancel);

    open(L"알림", kButtonsOk, kResultOk, 0, kIconInformation);
    ASSERT_TRUE(user_.pressKey(kKeyEscape));
    EXPECT_EQ(result(), kResultOk);

    open(L"설치를 중단 하시겠습니까?", kButtonsYesNo, kResultNo, 3);
    ASSERT_TRUE(user_.pressKey(kKeyEscape));
    EXPECT_FALSE(answered()) << "a Yes/No box has no answer for Esc";
    EXPECT_EQ(toolkit_.text(controls::MessageBoxNo), L"No (3)");
    // The countdown still answers with the default, whatever button has the focus by then.
    ASSERT_TRUE(user_.pressKey(kKeyTab));
    user_.advance(3000);
    EXPECT_EQ(result(), kResultNo);
}

TEST_F(MessageBoxScenario, OwnerIsDisabledWhileOpenAndTheBoxLooksAsItShould) {
    open(L"짧은 글", kButtonsOk, kResultYes, 0, kIconInformation);
    EXPECT_FALSE(toolkit_.isEnabled(controls::MainWindow));
    EXPECT_EQ(toolkit_.ownerOf("MessageBox"), "MainWindow");
    EXPECT_EQ(toolkit_.text(controls::MessageBox), L"주 의");
    EXPECT_EQ(toolkit_.clientSize("MessageBox"), (Size{435, 107}));
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxText), (Rect{60, 20, 350, 32}));
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxOk), (Rect{217 - 45, 10, 90, 25}));
    EXPECT_EQ(toolkit_.focused(controls::MessageBox), controls::MessageBoxOk);
    EXPECT_EQ(toolkit_.colours("MessageBoxText"),
              (std::pair<std::int32_t, std::int32_t>{-1, 225 + 256 * 232 + 65536 * 223}));
    EXPECT_EQ(toolkit_.windowFont("MessageBox")->height, -12);  // one step larger than the -11 interface font
    EXPECT_FALSE(toolkit_.timerInterval("MessageBox", 700).has_value());
    const auto icon = toolkit_.iconOf("MessageBoxIcon");
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->index, kIconInformation);
    EXPECT_EQ(icon->size, 32);
    const auto calls = fixture_.machine()->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"MessageBeep 48"), calls.end());
    ASSERT_TRUE(user_.click("MessageBoxOk"));
    EXPECT_EQ(result(), kResultOk);
}

TEST_F(MessageBoxScenario, LongTextGrowsTheBox) {
    std::wstring text;
    for (int i = 0; i < 30; ++i)
        text += L"한 줄의 긴 설명 문장이 여기에 있습니다, and a long English tail to go with it " + std::to_wstring(i) +
                L"\r\n";
    open(text, kButtonsYesNoCancel, kResultCancel, 0);
    const Size client = toolkit_.clientSize("MessageBox");
    const Rect label = toolkit_.rect(controls::MessageBoxText);
    EXPECT_GT(label.w, 350);
    EXPECT_GT(label.h, 32 * 10);
    EXPECT_EQ(client, (Size{label.w + 85, label.h + 75}));
    const int x0 = client.w / 2;
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxYes).x, x0 - 145);
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxNo).x, x0 - 45);
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxCancel).x, x0 + 55);
    EXPECT_EQ(toolkit_.rect(controls::MessageBoxStrip).y, client.h - 45);
    EXPECT_EQ(toolkit_.focused(controls::MessageBox), controls::MessageBoxCancel);
    ASSERT_TRUE(user_.click("MessageBoxNo"));
    EXPECT_EQ(result(), kResultNo);
}

TEST_F(MessageBoxScenario, WorkerEventsArrivingMeanwhileAreKeptInOrder) {
    open(L"text", kButtonsYesNo, kResultNo, 0);
    user_.postCustom(kApplySucceeded, 0, 0);
    user_.postCustom(kBootConfigDone, 0x40001, 193);
    ASSERT_TRUE(user_.waitIdle(sim::kDefaultWait));
    EXPECT_FALSE(answered());
    ASSERT_TRUE(user_.click("MessageBoxYes"));
    EXPECT_EQ(result(), kResultYes);
    ASSERT_EQ(program_.heldEvents.size(), 2u);
    EXPECT_EQ(program_.heldEvents[0].code, kApplySucceeded);
    EXPECT_EQ(program_.heldEvents[1].code, kBootConfigDone);
    EXPECT_EQ(program_.heldEvents[1].wparam, 0x40001u);
    EXPECT_EQ(program_.heldEvents[1].lparam, 193);
}

}  // namespace
}  // namespace halvora::scenario
