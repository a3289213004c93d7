#pragma once
// What halvora-sim writes after a run: the window's state at chosen moments, the message boxes
// in the order they opened with the answer each returned, the platform calls and how the run
// ended. Everything is UTF-8 JSON.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

// A state as a person would read it off the screen: the main window's title, every control
// of every open window, the lists, the status bar, the options menu and the drop-down lists.
nlohmann::json captureState(SimToolkit& toolkit);

struct MessageBoxRecord {
    std::wstring title;
    std::wstring text;
    std::vector<std::wstring> buttons;  // captions, without the countdown's " (N)"
    int countdown = 0;                  // seconds the box showed at first, 0 for none
    std::optional<int> icon;            // index in Shell32.dll
    std::optional<int> answer;          // what the box returned; nullopt while open
};

// The box named "MessageBox" as it stands: title, text, button captions and the seconds left
// on its countdown (the default button's caption ends in " (N)" while it counts down).
MessageBoxRecord readMessageBox(SimToolkit& toolkit);

// What the box returns when it closes now: Cancel (2) when it was sent a close request, else
// the focused button's result, as the box takes it.
std::optional<int> messageBoxResult(SimToolkit& toolkit);

// The number the box returns for a button caption: Yes 6, No 7, Cancel 2, Ok 0.
std::optional<int> messageBoxResultOf(const std::string& caption);
std::string messageBoxAnswerName(int result);

struct FailedStep {
    std::size_t number = 0;  // from 1
    nlohmann::json step;
    std::string why;
};

struct RunReport {
    // The program's exit code when it ended by itself (through the script); nullopt when it was
    // still running as the script ended or failed.
    std::optional<int> exitCode;
    // When the runner had to close the program after the script, the code it ended with then.
    std::optional<int> exitCodeAfterClose;
    std::string ending;  // "script", "closedAfterScript", "forced" or "notEnded"
    std::vector<std::pair<std::string, nlohmann::json>> snapshots;
    nlohmann::json finalState = nlohmann::json::object();
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<std::wstring> calls;
    // Every platform call the run made, by the Windows function's name: how many times.
    std::map<std::string, std::uint64_t> callCounts;
    std::vector<std::string> faults;  // misuse of the window system by the program
    std::optional<FailedStep> failedStep;
};

nlohmann::json reportJson(const RunReport& report);

// Writes the report; false with `error` set when the file cannot be written.
bool writeReport(const RunReport& report, const std::string& path, std::string& error);

}  // namespace halvora::sim
