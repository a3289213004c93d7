#include "platform/sim/runner/sim_runner_script.hpp"

#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <variant>

#include "base/utf.hpp"
#include "platform/event.hpp"
#include "platform/sim/machine/sim_json.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

// A step's value that is not what the step takes; its text says what the step takes.
class StepRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses a value of `Step`: "\"click\" takes <what it takes>".
template <typename Step>
[[noreturn]] void refuse(const std::string& takes = Step::kTakes) {
    throw StepRefused(std::string("\"") + Step::kName + "\" takes " + takes);
}

template <typename Step>
void mustBeTrue(const json& value) {
    if (value != json(true)) refuse<Step>();
}

template <typename Step>
std::string nonEmptyText(const json& value) {
    std::string text = value.get<std::string>();
    if (text.empty()) refuse<Step>();
    return text;
}

// [name, number]: a list and its row, a spin field and its value, a drop-down list and its
// item. Only a spin field's value may be below 0.
template <typename Step>
std::pair<std::string, int> nameAndNumber(const json& value, const char* number, bool negative) {
    if (!value.is_array() || value.size() != 2) refuse<Step>();
    if (!value[0].is_string() || value[0].get<std::string>().empty()) {
        refuse<Step>(std::string(Step::kTakes) + ": the name is missing");
    }
    const int low = negative ? std::numeric_limits<int>::min() : 0;
    const auto n = wholeNumberIn(value[1], low, std::numeric_limits<int>::max());
    if (!n)
        refuse<Step>(std::string(Step::kTakes) + ": the " + number + " is a whole number" +
                     (negative ? "" : " from 0"));
    return {value[0].get<std::string>(), *n};
}

}  // namespace

// Each step's value, read by nlohmann-json's get<Step>() through these. A value of the wrong
// JSON type throws from nlohmann-json, which readStep turns into the step's kTakes; what
// nlohmann-json does not check is refused here, some with a more precise text.

void from_json(const json& value, ClickStep& step) { step.control = nonEmptyText<ClickStep>(value); }

void from_json(const json& value, ClickRowStep& step) {
    std::tie(step.list, step.row) = nameAndNumber<ClickRowStep>(value, "row", false);
}

void from_json(const json& value, DoubleClickRowStep& step) {
    std::tie(step.list, step.row) = nameAndNumber<DoubleClickRowStep>(value, "row", false);
}

void from_json(const json& value, MenuStep& step) {
    const auto item = wholeNumberIn(value, 1, 0xFFFF);
    if (!item) refuse<MenuStep>();
    step.item = *item;
}

void from_json(const json& value, DropStep& step) {
    if (!value.is_array() || value.empty()) refuse<DropStep>();
    for (const auto& path : value) {
        if (!path.is_string() || path.get<std::string>().empty())
            refuse<DropStep>("a list of paths (non-empty strings)");
        step.paths.push_back(fromUtf8(path.get<std::string>()));
    }
}

void from_json(const json& value, DialogStep& step) { step.path = fromUtf8(value.get<std::string>()); }

void from_json(const json& value, AnswerStep& step) {
    step.button = value.get<std::string>();
    for (const char* button : {"Yes", "No", "Cancel", "Ok"}) {
        if (step.button == button) return;
    }
    refuse<AnswerStep>();
}

void from_json(const json& value, AdvanceStep& step) {
    const auto milliseconds = wholeNumberIn(value, std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max());
    if (!milliseconds) refuse<AdvanceStep>();
    step.milliseconds = *milliseconds;
}

void from_json(const json& value, WaitIdleStep&) { mustBeTrue<WaitIdleStep>(value); }

void from_json(const json& value, WaitStatusStep& step) { step.text = fromUtf8(nonEmptyText<WaitStatusStep>(value)); }

void from_json(const json& value, CloseStep&) { mustBeTrue<CloseStep>(value); }

void from_json(const json& value, SnapshotStep& step) { step.label = value.get<std::string>(); }

void from_json(const json& value, SpinStep& step) {
    std::tie(step.control, step.value) = nameAndNumber<SpinStep>(value, "value", true);
}

void from_json(const json& value, TypeStep& step) {
    if (!value.is_array() || value.size() != 2) refuse<TypeStep>();
    step.control = nonEmptyText<TypeStep>(value[0]);
    step.text = fromUtf8(value[1].get<std::string>());
}

void from_json(const json& value, ChooseStep& step) {
    std::tie(step.control, step.index) = nameAndNumber<ChooseStep>(value, "index", false);
}

void from_json(const json& value, FormatStep& step) {
    if (value == json(false)) return;
    if (!value.is_object()) refuse<FormatStep>();
    for (const auto& [field, text] : value.items()) {
        if (field != "fileSystem" && field != "label") refuse<FormatStep>();
        text.get<std::string>();  // a text, else nlohmann-json refuses it
    }
    step.format = true;
    step.fileSystem = fromUtf8(value.value("fileSystem", ""));
    step.label = fromUtf8(value.value("label", ""));
}

void from_json(const json& value, HoldApplyStep& step) { step.hold = value.get<bool>(); }

void from_json(const json& value, WaitApplyHeldStep&) { mustBeTrue<WaitApplyHeldStep>(value); }

void from_json(const json& value, ReleaseApplyStep&) { mustBeTrue<ReleaseApplyStep>(value); }

void from_json(const json& value, KeyStep& step) {
    static const std::pair<const char*, int> keys[] = {
        {"Enter", kKeyEnter}, {"Escape", kKeyEscape}, {"Tab", kKeyTab}, {"Shift+Tab", kKeyTab}, {"Space", kKeySpace},
        {"Left", kKeyLeft},   {"Right", kKeyRight},   {"Up", kKeyUp},   {"Down", kKeyDown}};
    const std::string name = value.get<std::string>();
    for (const auto& [known, code] : keys) {
        if (name == known) {
            step.key = code;
            step.shift = name == "Shift+Tab";
            return;
        }
    }
    refuse<KeyStep>();
}

namespace {

// One step's value read as the kind of step it is; a value of the wrong JSON type is refused
// with what that kind takes.
template <typename Step>
Step readStep(const json& value) {
    try {
        return value.get<Step>();
    } catch (const json::exception&) {
        refuse<Step>();
    }
}

// The kind of step written under `name`, read from `value`; nullopt for a name no step has.
template <std::size_t I = 0>
std::optional<StepAction> readAction(const std::string& name, const json& value) {
    if constexpr (I == std::variant_size_v<StepAction>) {
        return std::nullopt;
    } else {
        using Step = std::variant_alternative_t<I, StepAction>;
        if (name == Step::kName) return StepAction(readStep<Step>(value));
        return readAction<I + 1>(name, value);
    }
}

template <std::size_t... I>
std::string knownNames(std::index_sequence<I...>) {
    std::string names;
    ((names += (I == 0 ? "" : ", ") + std::string(std::variant_alternative_t<I, StepAction>::kName)), ...);
    return names;
}

ScriptStep readScriptStep(const json& item) {
    if (!item.is_object() || item.size() != 1) {
        throw StepRefused("each step is an object with one key, such as {\"click\": \"InfoMark\"}");
    }
    const std::string name = item.begin().key();
    auto action = readAction(name, item.begin().value());
    if (!action) {
        throw StepRefused("unknown step \"" + name + "\" (known: " +
                          knownNames(std::make_index_sequence<std::variant_size_v<StepAction>>()) + ")");
    }
    return ScriptStep{std::move(*action), item};
}

}  // namespace

std::optional<std::vector<ScriptStep>> parseScript(const nlohmann::json& script, std::string& error) {
    if (!script.is_array()) {
        error = "script: the top level must be a list of steps";
        return std::nullopt;
    }
    std::vector<ScriptStep> steps;
    for (std::size_t i = 0; i < script.size(); ++i) {
        try {
            steps.push_back(readScriptStep(script[i]));
        } catch (const StepRefused& refused) {
            error = "script step " + std::to_string(i + 1) + ": " + refused.what();
            return std::nullopt;
        }
    }
    return steps;
}

std::optional<std::vector<ScriptStep>> loadScript(const std::string& path, std::string& error) {
    const auto read = readJsonFile(path, "script", /*allowComments=*/false, error);
    if (!read) return std::nullopt;
    const json& script = *read;
    return parseScript(script, error);
}

std::string describeStep(const ScriptStep& step) {
    if (!step.source.is_object() || step.source.empty()) return "?";
    const auto item = step.source.begin();
    const json& value = item.value();
    return item.key() + " " + (value.is_string() ? value.get<std::string>() : value.dump());
}

}  // namespace halvora::sim
