#pragma once
// What the toolkit's tests share: an empty machine, a stand-in for the program's interface thread,
// and a main window with one control of each kind.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "control_literal.hpp"

namespace halvora::sim::toolkit_tests {

using namespace halvora::testing_names;

inline std::shared_ptr<SimMachine> emptyMachine() {
    std::string error;
    return SimMachine::fromJson(nlohmann::json::object(), error);
}

// A stand-in for the program's interface thread: records every event with the virtual time it
// saw it at, lets a test react to it, and ends on a Close event.
class InterfaceThread {
public:
    using Reaction = std::function<void(const Event&)>;
    InterfaceThread(SimToolkit& ui, Reaction react = {}) : ui_(ui), react_(std::move(react)) {
        thread_ = std::thread([this] {
            for (;;) {
                Event e = ui_.waitEvent();
                if (e.kind == EventKind::Close) break;
                {
                    std::lock_guard lock(mutex_);
                    seen_.push_back({e, ui_.now()});
                }
                if (react_) react_(e);
            }
        });
    }
    ~InterfaceThread() { stop(); }
    void stop() {
        if (!thread_.joinable()) return;
        Event close;
        close.kind = EventKind::Close;
        ui_.postEvent(close);
        thread_.join();
    }
    std::vector<std::pair<Event, std::uint64_t>> seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    std::thread::id id() const { return thread_.get_id(); }

private:
    SimToolkit& ui_;
    Reaction react_;
    std::mutex mutex_;
    std::vector<std::pair<Event, std::uint64_t>> seen_;
    std::thread thread_;
};

class SimToolkitTree : public ::testing::Test {
protected:
    void SetUp() override {
        ui.createWindow("Main"_c, L"Main", {770, 510}, ""_c, 0);
        ui.createControl({"Panel"_c, ControlKind::Panel, "Main"_c, L"", {0, 0, 100, 100}});
        ui.createControl({"Button"_c, ControlKind::Button, "Panel"_c, L"Go", {1, 2, 3, 4}});
        ui.createControl({"List"_c, ControlKind::List, "Main"_c, L"", {}});
        ui.createControl({"Combo"_c, ControlKind::Combo, "Main"_c, L"", {}});
        ui.createControl({"Spin"_c, ControlKind::Spin, "Panel"_c, L"2", {}, kReadOnly});
        ui.createControl({"Check"_c, ControlKind::Check, "Panel"_c, L"c", {}});
        ui.createControl({"Label"_c, ControlKind::Label, "Panel"_c, L"l", {}});
        ui.createControl({"Bar"_c, ControlKind::StatusBar, "Main"_c, L"", {}});
    }
    SimToolkit ui{emptyMachine()};
};

}  // namespace halvora::sim::toolkit_tests
