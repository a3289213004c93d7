// The interface thread as the toolkit serves it: the virtual clock and its timers, idleness,
// worker threads' window calls that wait for the handler in progress, and copy-data sent from a
// second run.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "toolkit_fixtures.hpp"
#include "control_literal.hpp"
#include "ui/control_names.hpp"

namespace halvora::sim {

using namespace halvora::testing_names;
namespace {

using namespace std::chrono_literals;
using toolkit_tests::emptyMachine;
using toolkit_tests::InterfaceThread;

TEST(SimClock, TimersFireInTimeOrderAndEachIsHandledBeforeTheNext) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main"_c, L"Main", {1, 1}, ""_c, 0);
    ui.setTimer("Main"_c, 1, 300);
    ui.setTimer("Main"_c, 2, 500);
    std::atomic<std::uint64_t> slowWork{0};
    InterfaceThread loop(ui, [&](const Event&) {
        std::this_thread::sleep_for(5ms);  // a handler that takes real time must still be waited for
        ++slowWork;
    });
    ScriptedUser user(ui);
    ASSERT_TRUE(user.advance(1000)) << user.lastError();
    EXPECT_EQ(slowWork.load(), 5u);
    std::vector<std::pair<int, std::uint64_t>> fired;
    for (const auto& [e, at] : loop.seen()) {
        EXPECT_EQ(e.kind, EventKind::Timer);
        EXPECT_EQ(e.window, "Main"_c);
        fired.emplace_back(e.code, at);
    }
    EXPECT_EQ(fired, (std::vector<std::pair<int, std::uint64_t>>{{1, 300}, {2, 500}, {1, 600}, {1, 900}, {2, 1000}}));
    EXPECT_EQ(ui.now(), 1000u);
}

TEST(SimClock, AKilledTimerStopsAndTooShortIntervalsAreRaised) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main"_c, L"Main", {1, 1}, ""_c, 0);
    ui.setTimer("Main"_c, 7, 1000);
    ui.setTimer("Main"_c, 8, 1);
    EXPECT_EQ(ui.timerInterval("Main", 8), 10);
    ui.killTimer("Main"_c, 8);
    int countdown = 3;
    InterfaceThread loop(ui, [&](const Event& e) {
        if (e.kind == EventKind::Timer && --countdown == 0) ui.killTimer("Main"_c, e.code);
    });
    ScriptedUser user(ui);
    ASSERT_TRUE(user.advance(5000)) << user.lastError();
    EXPECT_EQ(loop.seen().size(), 3u);
    EXPECT_EQ(loop.seen().back().second, 3000u);
    EXPECT_FALSE(ui.timerInterval("Main", 7));
}

TEST(SimClock, AdvanceFailsWhenNoInterfaceThreadHandlesTheTimers) {
    SimToolkit ui(emptyMachine());
    ui.createWindow("Main"_c, L"Main", {1, 1}, ""_c, 0);
    ui.setTimer("Main"_c, 1, 100);
    ScriptedUser user(ui);
    user.setWaitTimeout(50ms);
    EXPECT_FALSE(user.advance(1000));
    EXPECT_NE(user.lastError().find("idle"), std::string::npos);
}

TEST(SimIdle, AThreadThatStopsWaitingForEventsCountsAsIdleOnceItHasEnded) {
    SimToolkit ui(emptyMachine());
    std::atomic<bool> release{false};
    std::thread program([&] {
        ui.waitEvent();
        while (!release) std::this_thread::sleep_for(1ms);
    });
    EXPECT_TRUE(ui.waitIdle(kDefaultWait));
    ui.postEvent(Event{});
    EXPECT_FALSE(ui.waitIdle(50ms)) << "busy after taking the event";
    release = true;
    program.join();
    EXPECT_TRUE(ui.waitIdle(kDefaultWait));
}

// A worker's window call is a message sent to the interface thread: it waits while that thread
// is inside a handler, and lands once the thread waits for messages again.
TEST(SimSentCalls, AWorkersWriteWaitsForTheHandlerInProgressToReturn) {
    auto machine = emptyMachine();
    SimToolkit ui(machine);
    ui.createWindow("Main"_c, L"Main", {1, 1}, ""_c, 0);
    ui.createControl({"Bar"_c, ControlKind::StatusBar, "Main"_c, L"", {}});
    std::atomic<bool> handlerStarted{false};
    InterfaceThread loop(ui, [&](const Event& e) {
        if (e.kind != EventKind::Custom) return;
        ui.setStatusText("Bar"_c, 0, L"handler");
        handlerStarted = true;
        std::this_thread::sleep_for(100ms);
        ui.setStatusText("Bar"_c, 0, L"handler done");
    });
    SimSystem system(machine, {});
    std::uint32_t error = 0;
    auto worker = system.startThread(
        [&] {
            Event e;
            e.kind = EventKind::Custom;
            ui.postEvent(e);
            while (!handlerStarted) std::this_thread::sleep_for(1ms);
            ui.setStatusText("Bar"_c, 0, L"worker");
        },
        error);
    ASSERT_TRUE(worker);
    worker->join();
    ASSERT_TRUE(ui.waitIdle(kDefaultWait));
    EXPECT_EQ(ui.statusText("Bar"_c, 0), L"worker") << "the worker's text came in the middle of the handler";

    // Threads that are not the program's workers (the test, the scripted user) read at once.
    std::thread reader([&] { EXPECT_EQ(ui.statusText("Bar"_c, 0), L"worker"); });
    reader.join();
}

TEST(SimSentCalls, AWorkerDoesNotWaitForAnInterfaceThreadThatHasEnded) {
    auto machine = emptyMachine();
    SimToolkit ui(machine);
    ui.createWindow("Main"_c, L"Main", {1, 1}, ""_c, 0);
    { InterfaceThread loop(ui); }
    SimSystem system(machine, {});
    std::uint32_t error = 0;
    auto worker = system.startThread([&] { ui.setText("Main"_c, L"late"); }, error);
    ASSERT_TRUE(worker);
    worker->join();
    EXPECT_EQ(ui.text("Main"_c), L"late");
}

class SimCopyData : public ::testing::Test {
protected:
    void SetUp() override {
        m->setCopyDataTimeout(2s);
        ASSERT_EQ(first.createWindow(controls::MainWindow, L"Halvora", {1, 1}, ""_c, 0), 0u);
        first.acceptCopyData(controls::MainWindow);
    }
    // The copies that reached the main loop as events, in order.
    static std::vector<std::string> received(InterfaceThread& loop) {
        std::vector<std::string> copies;
        for (const auto& [e, at] : loop.seen()) {
            if (e.kind == EventKind::CopyData && e.window == controls::MainWindow)
                copies.emplace_back(e.data.begin(), e.data.end());
        }
        return copies;
    }

    std::shared_ptr<SimMachine> m = emptyMachine();
    SimToolkit first{m};
};

TEST_F(SimCopyData, ASecondRunsSendIsCopiedAndQueuedForTheFirstRunsMainLoop) {
    InterfaceThread loop(first);
    SimSystem second(m, {});
    const std::uint64_t window = second.findWindow(L"Halvora");
    ASSERT_NE(window, 0u);
    std::string buffer = "abcdef";
    EXPECT_EQ(second.sendCopyData(window, 0, buffer.data(), 3), 1);
    buffer = "XXXXXX";  // the sender's buffer is its own again once the send returns
    EXPECT_EQ(second.sendCopyData(window, 0, buffer.data(), 6), 1);
    ASSERT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_EQ(received(loop), (std::vector<std::string>{"abc", "XXXXXX"}));
    const auto calls = m->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"SendMessageTimeoutW WM_COPYDATA 0 3"), calls.end());
}

TEST_F(SimCopyData, NullDataAndSizesOverTheLimitAreRefusedAndNotQueued) {
    InterfaceThread loop(first);
    ScriptedUser user(first);
    EXPECT_EQ(user.sendCopyData(L"Halvora", nullptr, 100000), 0);
    std::string huge(kCopyDataLimit + 1, 'x');
    EXPECT_EQ(user.sendCopyData(L"Halvora", huge.data(), static_cast<std::uint32_t>(huge.size())), 0);
    EXPECT_EQ(user.sendCopyData(L"Halvora", huge.data(), kCopyDataLimit), 1);
    ASSERT_EQ(received(loop).size(), 1u);
    EXPECT_EQ(user.sendCopyData(L"No such title", "x", 1), 0);
    EXPECT_FALSE(user.lastError().empty());
}

TEST_F(SimCopyData, ASendNobodyTakesUpGivesUpAndIsNeverDeliveredLater) {
    m->setCopyDataTimeout(100ms);
    const auto window = m->findWindow(L"Halvora");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m->sendCopyData(window, "late", 4), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    InterfaceThread loop(first);
    EXPECT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_TRUE(received(loop).empty());
}

TEST_F(SimCopyData, AWindowWithoutHandlerOrAnEndedRunAnswersZeroAtOnce) {
    first.createWindow("Plain"_c, L"Plain", {1, 1}, ""_c, 0);
    {
        InterfaceThread loop(first);
        EXPECT_EQ(m->sendCopyData(m->findWindow(L"Plain"), "x", 1), 0);
        EXPECT_TRUE(received(loop).empty());
    }
    m->setCopyDataTimeout(10s);
    first.markProgramEnded();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m->sendCopyData(m->findWindow(L"Halvora"), "x", 1), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST_F(SimCopyData, ASendFromTheInterfaceThreadItselfIsHandledDirectly) {
    std::intptr_t result = -1;
    InterfaceThread loop(first, [&](const Event& e) {
        if (e.kind == EventKind::Custom) result = m->sendCopyData(m->findWindow(L"Halvora"), "me", 2);
    });
    ScriptedUser user(first);
    ASSERT_TRUE(user.postCustom(1));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(first.waitIdle(kDefaultWait));
    EXPECT_EQ(received(loop), std::vector<std::string>{"me"});
}

}  // namespace
}  // namespace halvora::sim
