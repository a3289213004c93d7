#pragma once
// The steps of a halvora-sim script: what a person does at the simulated machine, in order.
// A script is a JSON array; each step is an object with one key naming what to do. Each kind of
// step is a type of its own, with the name it is written under (kName) and what its value must
// be (kTakes, for the message that refuses a bad one); a script is read into them once, and the
// runner does a step by visiting it.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace halvora::sim {

// {"click": "ControlName"}: a button, clickable label or check box clicked.
struct ClickStep {
    static constexpr const char* kName = "click";
    static constexpr const char* kTakes = "a control name (a non-empty string)";
    std::string control;
};

// {"clickRow": ["ListName", row]}
struct ClickRowStep {
    static constexpr const char* kName = "clickRow";
    static constexpr const char* kTakes = "[\"ListName\", row]";
    std::string list;
    int row = 0;
};

// {"doubleClickRow": ["ListName", row]}
struct DoubleClickRowStep {
    static constexpr const char* kName = "doubleClickRow";
    static constexpr const char* kTakes = "[\"ListName\", row]";
    std::string list;
    int row = 0;
};

// {"menu": item}: an item of the options menu, opened by its button.
struct MenuStep {
    static constexpr const char* kName = "menu";
    static constexpr const char* kTakes = "the item's number (1, 2, ...)";
    int item = 0;
};

// {"drop": ["D:\\path", ...]}: files dropped on the main window.
struct DropStep {
    static constexpr const char* kName = "drop";
    static constexpr const char* kTakes = "a list of one or more paths";
    std::vector<std::wstring> paths;
};

// {"dialog": "D:\\path"}: the answer to the next file or folder dialog; "" cancels it.
struct DialogStep {
    static constexpr const char* kName = "dialog";
    static constexpr const char* kTakes = "a path, or \"\" to cancel the dialog";
    std::wstring path;
};

// {"answer": "Yes" | "No" | "Cancel" | "Ok"}: the button clicked in the next message box.
struct AnswerStep {
    static constexpr const char* kName = "answer";
    static constexpr const char* kTakes = "\"Yes\", \"No\", \"Cancel\" or \"Ok\"";
    std::string button;
};

// {"advance": milliseconds}: virtual time let pass.
struct AdvanceStep {
    static constexpr const char* kName = "advance";
    static constexpr const char* kTakes = "milliseconds (a whole number from 0)";
    std::uint64_t milliseconds = 0;
};

// {"waitIdle": true}
struct WaitIdleStep {
    static constexpr const char* kName = "waitIdle";
    static constexpr const char* kTakes = "true";
};

// {"waitStatus": "text"}: until status field 3 contains the text.
struct WaitStatusStep {
    static constexpr const char* kName = "waitStatus";
    static constexpr const char* kTakes = "the text to wait for (a non-empty string)";
    std::wstring text;
};

// {"close": true}: a close request on the main window.
struct CloseStep {
    static constexpr const char* kName = "close";
    static constexpr const char* kTakes = "true";
};

// {"snapshot": "label"}: the state recorded under the label.
struct SnapshotStep {
    static constexpr const char* kName = "snapshot";
    static constexpr const char* kTakes = "a label (a string)";
    std::string label;
};

// {"spin": ["SpinName", value]}: the arrows moved to the value.
struct SpinStep {
    static constexpr const char* kName = "spin";
    static constexpr const char* kTakes = "[\"SpinName\", value]";
    std::string control;
    int value = 0;
};

// {"type": ["EditName", "text"]}: the field's text replaced.
struct TypeStep {
    static constexpr const char* kName = "type";
    static constexpr const char* kTakes = "[\"EditName\", \"text\"]";
    std::string control;
    std::wstring text;
};

// {"choose": ["ComboName", index]}: an item of a drop-down list.
struct ChooseStep {
    static constexpr const char* kName = "choose";
    static constexpr const char* kTakes = "[\"ComboName\", index]";
    std::string control;
    int index = 0;
};

// {"format": {"fileSystem": "NTFS", "label": "Data"}} or {"format": false}: the answer to the
// next format dialog, format with these (the file system "" keeps the volume's) or cancel.
struct FormatStep {
    static constexpr const char* kName = "format";
    static constexpr const char* kTakes =
        "{\"fileSystem\": \"NTFS\", \"label\": \"Data\"} (both optional), or false to cancel";
    bool format = false;
    std::wstring fileSystem;
    std::wstring label;
};

// {"holdApply": true | false}: image applies stop after their first progress message, or not.
struct HoldApplyStep {
    static constexpr const char* kName = "holdApply";
    static constexpr const char* kTakes = "true or false";
    bool hold = false;
};

// {"waitApplyHeld": true}
struct WaitApplyHeldStep {
    static constexpr const char* kName = "waitApplyHeld";
    static constexpr const char* kTakes = "true";
};

// {"releaseApply": true}
struct ReleaseApplyStep {
    static constexpr const char* kName = "releaseApply";
    static constexpr const char* kTakes = "true";
};

// {"key": "Enter" | "Escape" | "Tab" | "Shift+Tab" | "Space" | "Left" | "Right" | "Up" | "Down"}:
// pressed in the window in front.
struct KeyStep {
    static constexpr const char* kName = "key";
    static constexpr const char* kTakes =
        "\"Enter\", \"Escape\", \"Tab\", \"Shift+Tab\", \"Space\", \"Left\", \"Right\", \"Up\" or \"Down\"";
    int key = 0;  // the virtual-key code
    bool shift = false;
};

// Every kind of step, in the order the message for an unknown one lists them.
using StepAction = std::variant<ClickStep, ClickRowStep, DoubleClickRowStep, MenuStep, DropStep, DialogStep, AnswerStep,
                                AdvanceStep, WaitIdleStep, WaitStatusStep, CloseStep, SnapshotStep, SpinStep, TypeStep,
                                ChooseStep, FormatStep, HoldApplyStep, WaitApplyHeldStep, ReleaseApplyStep, KeyStep>;

struct ScriptStep {
    StepAction action;
    nlohmann::json source;  // the step as written, for reports and messages
};

// Nullopt with `error` naming the step (counted from 1) and what is wrong with it.
std::optional<std::vector<ScriptStep>> parseScript(const nlohmann::json& script, std::string& error);

// Reads and parses a script file; `error` also covers a missing file and bad JSON.
std::optional<std::vector<ScriptStep>> loadScript(const std::string& path, std::string& error);

// "click InfoMark", "answer Ok", ...: a step as one line for the terminal.
std::string describeStep(const ScriptStep& step);

}  // namespace halvora::sim
