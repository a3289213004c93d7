#pragma once
// The steps of a halvora-sim script: what a person does at the simulated machine, in order.
// A script is a JSON array; each step is an object with one key naming what to do.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace halvora::sim {

enum class StepKind {
    Click,           // {"click": "ControlName"}
    ClickRow,        // {"clickRow": ["ListName", row]}
    DoubleClickRow,  // {"doubleClickRow": ["ListName", row]}
    Menu,            // {"menu": item}: item of the options menu, opened by its button
    Drop,            // {"drop": ["D:\\path", ...]}: files dropped on the main window
    Dialog,          // {"dialog": "D:\\path"}: the next file or folder dialog; "" cancels
    Answer,          // {"answer": "Yes" | "No" | "Cancel" | "Ok"}
    Advance,         // {"advance": milliseconds}
    WaitIdle,        // {"waitIdle": true}
    WaitStatus,      // {"waitStatus": "text"}
    Close,           // {"close": true}
    Snapshot,        // {"snapshot": "label"}
    Spin,            // {"spin": ["SpinName", value]}: the arrows moved to the value
    Type,            // {"type": ["EditName", "text"]}: the field's text replaced
    Choose,          // {"choose": ["ComboName", index]}: an item of a drop-down list
    Format,          // {"format": {"fileSystem": "NTFS", "label": "Data"}} or {"format": false}:
                     // the answer to the next format dialog (format with these, or cancel)
    HoldApply,       // {"holdApply": true | false}: applies stop after their first progress message
    WaitApplyHeld,   // {"waitApplyHeld": true}
    ReleaseApply,    // {"releaseApply": true}
    Key,             // {"key": "Enter" | "Escape" | "Tab" | "Shift+Tab" | "Space" | "Left" | "Right" |
                     // "Up" | "Down"}: pressed in the window in front
};

struct ScriptStep {
    StepKind kind = StepKind::Click;
    std::string control;              // Click, ClickRow, DoubleClickRow, Spin, Type, Choose
    int row = 0;                      // ClickRow, DoubleClickRow; Spin's value, Choose's index
    int menuItem = 0;                 // Menu; Key: the virtual-key code
    bool shift = false;               // Key
    std::vector<std::wstring> paths;  // Drop; Dialog has one (maybe empty)
    std::string answer;               // Answer: the button's caption
    std::uint64_t milliseconds = 0;   // Advance
    std::wstring text;                // WaitStatus, Type
    std::string label;                // Snapshot
    bool format = false;              // Format: format (true) or cancel; HoldApply: on or off
    std::wstring fileSystem;          // Format: "" keeps the volume's file system
    std::wstring volumeLabel;         // Format
    nlohmann::json source;            // the step as written, for reports and messages
};

// Nullopt with `error` naming the step (counted from 1) and what is wrong with it.
std::optional<std::vector<ScriptStep>> parseScript(const nlohmann::json& script, std::string& error);

// Reads and parses a script file; `error` also covers a missing file and bad JSON.
std::optional<std::vector<ScriptStep>> loadScript(const std::string& path, std::string& error);

// "click InfoMark", "answer Ok", ...: a step as one line for the terminal.
std::string describeStep(const ScriptStep& step);

}  // namespace halvora::sim
