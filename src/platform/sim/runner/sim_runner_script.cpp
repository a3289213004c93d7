#include "platform/sim/runner/sim_runner_script.hpp"

#include <fstream>
#include <limits>

#include "base/utf.hpp"
#include "platform/event.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

// One step's reading; it stops at the first thing that is wrong and says what.
struct StepReader {
    std::size_t number;
    std::string& error;

    bool fail(const std::string& why) {
        error = "script step " + std::to_string(number) + ": " + why;
        return false;
    }

    bool name(const std::string& key, const json& value, std::string& out) {
        if (!value.is_string() || value.get<std::string>().empty()) {
            return fail("\"" + key + "\" takes a control name (a non-empty string)");
        }
        out = value.get<std::string>();
        return true;
    }

    // [name, number]: a list and its row, a spin field and its value, a drop-down list and its
    // item. Only a spin field's value may be below 0.
    bool nameAndNumber(const std::string& key, const json& value, const char* what, const char* number,
                       bool negative, ScriptStep& step) {
        const std::string shape = "\"" + key + "\" takes [\"" + what + "\", " + number + "]";
        if (!value.is_array() || value.size() != 2) return fail(shape);
        if (!value[0].is_string() || value[0].get<std::string>().empty()) return fail(shape + ": the name is missing");
        const std::int64_t low = negative ? std::numeric_limits<int>::min() : 0;
        if (!value[1].is_number_integer() || value[1].get<std::int64_t>() < low ||
            value[1].get<std::int64_t>() > std::numeric_limits<int>::max()) {
            return fail(shape + ": the " + number + " is a whole number" + (negative ? "" : " from 0"));
        }
        step.control = value[0].get<std::string>();
        step.row = static_cast<int>(value[1].get<std::int64_t>());
        return true;
    }

    bool flagTrue(const std::string& key, const json& value) {
        if (value != json(true)) return fail("\"" + key + "\" takes true");
        return true;
    }

    bool read(const json& item, ScriptStep& step) {
        if (!item.is_object() || item.size() != 1) {
            return fail("each step is an object with one key, such as {\"click\": \"InfoMark\"}");
        }
        const std::string key = item.begin().key();
        const json& value = item.begin().value();
        step.source = item;
        if (key == "click") {
            step.kind = StepKind::Click;
            return name(key, value, step.control);
        }
        if (key == "clickRow" || key == "doubleClickRow") {
            step.kind = key == "clickRow" ? StepKind::ClickRow : StepKind::DoubleClickRow;
            return nameAndNumber(key, value, "ListName", "row", false, step);
        }
        if (key == "spin") {
            step.kind = StepKind::Spin;
            return nameAndNumber(key, value, "SpinName", "value", true, step);
        }
        if (key == "choose") {
            step.kind = StepKind::Choose;
            return nameAndNumber(key, value, "ComboName", "index", false, step);
        }
        if (key == "type") {
            step.kind = StepKind::Type;
            if (!value.is_array() || value.size() != 2 || !value[0].is_string() ||
                value[0].get<std::string>().empty() || !value[1].is_string()) {
                return fail("\"type\" takes [\"EditName\", \"text\"]");
            }
            step.control = value[0].get<std::string>();
            step.text = fromUtf8(value[1].get<std::string>());
            return true;
        }
        if (key == "menu") {
            step.kind = StepKind::Menu;
            if (!value.is_number_integer() || value.get<std::int64_t>() <= 0 || value.get<std::int64_t>() > 0xFFFF) {
                return fail("\"menu\" takes the item's number (1, 2, ...)");
            }
            step.menuItem = static_cast<int>(value.get<std::int64_t>());
            return true;
        }
        if (key == "drop") {
            step.kind = StepKind::Drop;
            if (!value.is_array() || value.empty()) return fail("\"drop\" takes a list of one or more paths");
            for (const auto& path : value) {
                if (!path.is_string() || path.get<std::string>().empty()) {
                    return fail("\"drop\" takes a list of paths (non-empty strings)");
                }
                step.paths.push_back(fromUtf8(path.get<std::string>()));
            }
            return true;
        }
        if (key == "dialog") {
            step.kind = StepKind::Dialog;
            if (!value.is_string()) return fail("\"dialog\" takes a path, or \"\" to cancel the dialog");
            step.paths.push_back(fromUtf8(value.get<std::string>()));
            return true;
        }
        if (key == "answer") {
            step.kind = StepKind::Answer;
            static const char* const answers[] = {"Yes", "No", "Cancel", "Ok"};
            for (const char* answer : answers) {
                if (value == json(answer)) {
                    step.answer = answer;
                    return true;
                }
            }
            return fail("\"answer\" takes \"Yes\", \"No\", \"Cancel\" or \"Ok\"");
        }
        if (key == "key") {
            step.kind = StepKind::Key;
            static const std::pair<const char*, int> keys[] = {
                {"Enter", kKeyEnter}, {"Escape", kKeyEscape}, {"Tab", kKeyTab}, {"Shift+Tab", kKeyTab},
                {"Space", kKeySpace}, {"Left", kKeyLeft},     {"Right", kKeyRight}, {"Up", kKeyUp},
                {"Down", kKeyDown}};
            for (const auto& [name, code] : keys) {
                if (value == json(name)) {
                    step.menuItem = code;
                    step.shift = std::string(name) == "Shift+Tab";
                    return true;
                }
            }
            return fail("\"key\" takes \"Enter\", \"Escape\", \"Tab\", \"Shift+Tab\", \"Space\", \"Left\", "
                        "\"Right\", \"Up\" or \"Down\"");
        }
        if (key == "advance") {
            step.kind = StepKind::Advance;
            if (!value.is_number_integer() || value.get<std::int64_t>() < 0) {
                return fail("\"advance\" takes milliseconds (a whole number from 0)");
            }
            step.milliseconds = value.get<std::uint64_t>();
            return true;
        }
        if (key == "waitIdle") {
            step.kind = StepKind::WaitIdle;
            return flagTrue(key, value);
        }
        if (key == "waitStatus") {
            step.kind = StepKind::WaitStatus;
            if (!value.is_string() || value.get<std::string>().empty()) {
                return fail("\"waitStatus\" takes the text to wait for (a non-empty string)");
            }
            step.text = fromUtf8(value.get<std::string>());
            return true;
        }
        if (key == "close") {
            step.kind = StepKind::Close;
            return flagTrue(key, value);
        }
        if (key == "format") {
            step.kind = StepKind::Format;
            if (value == json(false)) return true;
            const char* const shape = "\"format\" takes {\"fileSystem\": \"NTFS\", \"label\": \"Data\"} (both optional), or false to cancel";
            if (!value.is_object()) return fail(shape);
            for (const auto& [field, text] : value.items()) {
                if ((field != "fileSystem" && field != "label") || !text.is_string()) return fail(shape);
            }
            step.format = true;
            step.fileSystem = fromUtf8(value.value("fileSystem", ""));
            step.volumeLabel = fromUtf8(value.value("label", ""));
            return true;
        }
        if (key == "holdApply") {
            step.kind = StepKind::HoldApply;
            if (!value.is_boolean()) return fail("\"holdApply\" takes true or false");
            step.format = value.get<bool>();
            return true;
        }
        if (key == "waitApplyHeld" || key == "releaseApply") {
            step.kind = key == "waitApplyHeld" ? StepKind::WaitApplyHeld : StepKind::ReleaseApply;
            return flagTrue(key, value);
        }
        if (key == "snapshot") {
            step.kind = StepKind::Snapshot;
            if (!value.is_string()) return fail("\"snapshot\" takes a label (a string)");
            step.label = value.get<std::string>();
            return true;
        }
        return fail("unknown step \"" + key +
                    "\" (known: click, clickRow, doubleClickRow, menu, drop, dialog, answer, advance, "
                    "waitIdle, waitStatus, close, snapshot, spin, type, choose, format, holdApply, waitApplyHeld, "
                    "releaseApply, key)");
    }
};

}  // namespace

std::optional<std::vector<ScriptStep>> parseScript(const nlohmann::json& script, std::string& error) {
    if (!script.is_array()) {
        error = "script: the top level must be a list of steps";
        return std::nullopt;
    }
    std::vector<ScriptStep> steps;
    for (std::size_t i = 0; i < script.size(); ++i) {
        ScriptStep step;
        StepReader reader{i + 1, error};
        if (!reader.read(script[i], step)) return std::nullopt;
        steps.push_back(std::move(step));
    }
    return steps;
}

std::optional<std::vector<ScriptStep>> loadScript(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "script: cannot read " + path;
        return std::nullopt;
    }
    const json script = json::parse(in, nullptr, false);
    if (script.is_discarded()) {
        error = "script: " + path + " is not valid JSON";
        return std::nullopt;
    }
    return parseScript(script, error);
}

std::string describeStep(const ScriptStep& step) {
    if (!step.source.is_object() || step.source.empty()) return "?";
    const auto item = step.source.begin();
    const json& value = item.value();
    return item.key() + " " + (value.is_string() ? value.get<std::string>() : value.dump());
}

}  // namespace halvora::sim
