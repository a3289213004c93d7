// Two runs on one machine: the second hands its arguments to the first and ends with 183.

#include "app/single_instance.hpp"
#include "sim_session.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora::scenario {
namespace {

// The second instance's operating system, keeping a copy of what it sends.
class RecordingSystem : public sim::SimSystem {
public:
    using SimSystem::SimSystem;
    std::intptr_t sendCopyData(std::uint64_t window, std::uintptr_t dwData, const void* data,
                               std::uint32_t size) override {
        sent.emplace_back(static_cast<const char*>(data), size);
        EXPECT_EQ(dwData, 0u);
        return SimSystem::sendCopyData(window, dwData, data, size);
    }
    std::vector<std::string> sent;
};

// UTF-16LE bytes of a text that is known to be ASCII, NUL included.
std::string asciiUtf16(const std::string& text) {
    std::string bytes;
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes + std::string(2, '\0');
}

class SecondInstance : public ::testing::Test {
protected:
    void SetUp() override { first_.start(); }

    int startSecond(std::vector<std::wstring> arguments) {
        RecordingSystem system(fixture_.machine(), std::move(arguments));
        sim::SimToolkit toolkit(fixture_.machine());
        const int code = runProgram(system, toolkit);
        EXPECT_FALSE(toolkit.isWindow("MainWindow")) << "a second instance must not build a window";
        EXPECT_TRUE(first_.user().waitIdle(sim::kDefaultWait));
        sent_.insert(sent_.end(), system.sent.begin(), system.sent.end());
        return code;
    }
    std::vector<std::string> handOvers() { return sent_; }

    std::vector<std::string> sent_;

    SimMachineFixture fixture_;
    ProgramRun first_{fixture_.machine()};
};

TEST_F(SecondInstance, HandsItsArgumentsOverAndEndsWith183) {
    EXPECT_EQ(startSecond({L"/Index:2", L"/after:Reboot"}), 183);
    EXPECT_EQ(handOvers(), (std::vector<std::string>{asciiUtf16("/Index:2|/after:Reboot|")}));
    // The first instance, idle with its main panel in front, applies what it can.
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 1);
    EXPECT_FALSE(first_.ended());
}

TEST_F(SecondInstance, WithoutArgumentsSendsNothing) {
    EXPECT_EQ(startSecond({}), 183);
    EXPECT_TRUE(handOvers().empty());
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 3);
}

TEST_F(SecondInstance, OptionsAreOnlySwitchedOnAndTheSummaryFollows) {
    EXPECT_EQ(startSecond({L"/Verify", L"/d", L"/Log"}), 183);
    EXPECT_TRUE(first_.ui().isChecked(controls::KeepBootEntriesCheck));
    EXPECT_EQ(first_.ui().text(controls::OptionSummaryLabel), L" Verify Log");
    EXPECT_EQ(startSecond({L"/Check"}), 183);
    EXPECT_EQ(first_.ui().text(controls::OptionSummaryLabel), L" Verify Check Log");
}

TEST_F(SecondInstance, IsIgnoredWhileAPickerIsInFrontOrTheProgramIsBusy) {
    ASSERT_TRUE(first_.user().click("TargetButton"));
    EXPECT_EQ(startSecond({L"/after:Finish"}), 183);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 3);
    ASSERT_TRUE(first_.user().click("TargetCancelButton"));
    first_.program().state.Busy = true;
    EXPECT_EQ(startSecond({L"/after:Finish"}), 183);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 3);
    first_.program().state.Busy = false;
}

// WM_COPYDATA arrives whenever the interface thread pumps, also inside a message box. The
// arguments are taken up by the main loop once the box has closed, never inside it.
TEST_F(SecondInstance, ArrivingWhileAMessageBoxIsOpenIsAppliedAfterTheBoxCloses) {
    ASSERT_TRUE(first_.user().click("InfoMark"));
    ASSERT_TRUE(first_.ui().isWindow("MessageBox"));
    EXPECT_EQ(startSecond({L"/after:Finish", L"/Verify"}), 183);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 3) << "nothing changes while the box is open";
    EXPECT_EQ(first_.ui().text(controls::OptionSummaryLabel), L"");
    ASSERT_TRUE(first_.user().click("MessageBoxOk"));
    EXPECT_FALSE(first_.ui().isWindow("MessageBox"));
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 2);
    EXPECT_EQ(first_.ui().text(controls::OptionSummaryLabel), L" Verify");
}

// A first instance that does not take the message within the wait does not keep the second:
// it still ends with 183.
TEST(SecondInstanceTimeout, AFirstInstanceThatNeverPumpsStillLetsTheSecondEndWith183) {
    SimMachineFixture fixture;
    auto machine = fixture.machine();
    machine->setCopyDataTimeout(std::chrono::milliseconds(200));
    sim::SimToolkit firstWindows(machine);
    ASSERT_EQ(firstWindows.createWindow(controls::MainWindow, L"Halvora", {1, 1}, ControlName(), 0), 0u);
    firstWindows.acceptCopyData(controls::MainWindow);
    sim::SimSystem firstSystem(machine, {});
    std::uint32_t error = 0;
    auto mutex = firstSystem.createMutex(L"Halvora", error);
    ASSERT_TRUE(mutex);
    // An interface thread that took one event and then hangs in a handler.
    std::promise<void> release;
    std::thread hung([&firstWindows, released = release.get_future()]() mutable {
        firstWindows.waitEvent();
        released.wait();
    });
    Event wake;
    wake.kind = EventKind::Custom;
    firstWindows.postEvent(wake);

    RecordingSystem second(machine, {L"/after:Finish"});
    std::unique_ptr<SystemHandle> secondMutex;
    EXPECT_EQ(ensureSingleInstance(second, L"Halvora", L"Halvora", secondMutex), InstanceRole::HandedOver);
    EXPECT_EQ(second.sent.size(), 1u);
    release.set_value();
    hung.join();
}

TEST_F(SecondInstance, ApplyStartInAHandOverStartsNothing) {
    EXPECT_EQ(startSecond({L"/ApplyStart", L"/after:Finish"}), 183);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 2);
    EXPECT_FALSE(first_.program().state.Busy.load());
    EXPECT_FALSE(first_.ui().isWindow("MessageBox"));
}

TEST_F(SecondInstance, HostileHandOversAreRefusedWithoutHarm) {
    const std::wstring title = first_.ui().text(controls::MainWindow);
    auto& user = first_.user();
    // No data at all, with a size that claims some: not even taken by the window.
    EXPECT_EQ(user.sendCopyData(title, nullptr, 64), 0);
    // An odd byte count cannot be UTF-16.
    std::string payload = handOverPayload(L"/after:Finish|");
    user.sendCopyData(title, payload.data(), 7);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 3);
    // A size far larger than the text: only the text up to its NUL counts.
    std::string padded = payload + std::string(4096, '\x41');
    EXPECT_EQ(user.sendCopyData(title, padded.data(), static_cast<std::uint32_t>(padded.size())), 1);
    EXPECT_EQ(first_.ui().comboSelection(controls::AfterInstallCombo), 2);
    // No terminator: the claimed size ends the text.
    std::string bare = handOverPayload(L"/d|");
    bare.resize(bare.size() - 2);
    EXPECT_EQ(user.sendCopyData(title, bare.data(), static_cast<std::uint32_t>(bare.size())), 1);
    EXPECT_TRUE(first_.ui().isChecked(controls::KeepBootEntriesCheck));
    // An empty text would make the parser read the first instance's own arguments.
    std::string empty = handOverPayload(L"");
    user.sendCopyData(title, empty.data(), static_cast<std::uint32_t>(empty.size()));
    // A size no command line can have, with a valid text inside.
    std::string huge = handOverPayload(L"/Verify|");
    huge.resize(kMaxHandOverBytes + 2, '\x41');
    user.sendCopyData(title, huge.data(), static_cast<std::uint32_t>(huge.size()));
    EXPECT_TRUE(user.waitIdle(sim::kDefaultWait));
    EXPECT_EQ(first_.ui().text(controls::OptionSummaryLabel), L"") << "the oversized hand-over was read";
    EXPECT_FALSE(first_.ended());
}

}  // namespace
}  // namespace halvora::scenario

namespace halvora::scenario {
namespace {

// A hand-over whose text is empty is refused: it never brings the first instance's own
// arguments back over what the person has changed since.
TEST(StartupCommandLine, AnEmptyHandOverDoesNotApplyTheOwnArgumentsAgain) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine(), {L"/after:Finish", L"/Verify"});
    run.start();
    ASSERT_EQ(run.ui().comboSelection(controls::AfterInstallCombo), kAfterFinish);
    ASSERT_TRUE(run.user().click("OptionsButton")) << run.user().lastError();
    ASSERT_TRUE(run.user().chooseMenuItem(controls::OptionsMenu, kMenuVerify)) << run.user().lastError();
    ASSERT_FALSE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuVerify));
    run.ui().setComboSelection(controls::AfterInstallCombo, kAfterReady);
    const std::string empty = handOverPayload(L"");
    run.user().sendCopyData(run.ui().text(controls::MainWindow), empty.data(),
                            static_cast<std::uint32_t>(empty.size()));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_FALSE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuVerify));
    EXPECT_EQ(run.ui().comboSelection(controls::AfterInstallCombo), kAfterReady);
    EXPECT_EQ(run.ui().text(controls::OptionSummaryLabel), L"");
}

TEST(StartupCommandLine, OwnArgumentsSetTheControlsBeforeTheWindowShows) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine(), {L"/d", L"/COMPACT", L"/after:Finish", L"/Log"});
    run.start();
    EXPECT_TRUE(run.ui().isChecked(controls::KeepBootEntriesCheck));
    EXPECT_TRUE(run.ui().isMenuItemChecked(controls::OptionsMenu, 1));
    EXPECT_EQ(run.ui().text(controls::OptionSummaryLabel), L" Compact Log");
    EXPECT_EQ(run.ui().comboSelection(controls::AfterInstallCombo), 2);
}

TEST(StartupCommandLine, NoArgumentsLeaveTheStartValues) {
    SimMachineFixture fixture;
    ProgramRun run(fixture.machine(), {});
    run.start();
    EXPECT_FALSE(run.ui().isChecked(controls::KeepBootEntriesCheck));
    EXPECT_EQ(run.ui().text(controls::OptionSummaryLabel), L"");
    EXPECT_EQ(run.ui().comboSelection(controls::AfterInstallCombo), 3);
}

}  // namespace
}  // namespace halvora::scenario
