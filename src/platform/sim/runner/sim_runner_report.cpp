#include "platform/sim/runner/sim_runner_report.hpp"

#include <fstream>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/message_box.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

const char* kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Panel:
            return "panel";
        case ControlKind::Label:
            return "label";
        case ControlKind::ClickLabel:
            return "clickLabel";
        case ControlKind::Button:
            return "button";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::List:
            return "list";
        case ControlKind::DriveRow:
            return "driveRow";
        case ControlKind::Combo:
            return "combo";
        case ControlKind::Check:
            return "check";
        case ControlKind::Spin:
            return "spin";
        case ControlKind::StatusBar:
            return "statusBar";
        case ControlKind::Icon:
            return "icon";
    }
    return "?";
}

json listState(SimToolkit& ui, const std::string& list) {
    json columns = json::array();
    const int columnCount = ui.columnCount(list);
    for (int c = 0; c < columnCount; ++c) columns.push_back(toUtf8(ui.columnTitle(list, c)));
    json rows = json::array();
    json icons = json::array();
    json colours = json::array();
    const auto iconList = ui.listIcons(list);
    const int rowCount = ui.rowCount(list);
    for (int r = 0; r < rowCount; ++r) {
        json cells = json::array();
        for (int c = 0; c < columnCount; ++c) {
            cells.push_back(toUtf8(ui.cell(list, r, c)));
            const auto [text, background] = ui.cellColours(list, r, c);
            if (text != kDefaultColour || background != kDefaultColour) {
                colours.push_back({{"row", r}, {"column", c}, {"text", text}, {"background", background}});
            }
        }
        rows.push_back(std::move(cells));
        // A row icon as "file,index" (a negative index names a resource), null for none.
        const int icon = ui.rowIcon(list, r);
        if (icon >= 0 && icon < static_cast<int>(iconList.size())) {
            const std::wstring& file = iconList[icon].file;
            const std::wstring name = file.substr(file.find_last_of(L"\\") + 1);
            icons.push_back(toUtf8(name + L"," + std::to_wstring(iconList[icon].index)));
        } else {
            icons.push_back(nullptr);
        }
    }
    return {{"columns", std::move(columns)},
            {"rows", std::move(rows)},
            {"rowIcons", std::move(icons)},
            {"cellColours", std::move(colours)},
            {"selected", ui.selectedRow(list)}};
}

void addControl(SimToolkit& ui, const std::string& name, json& state) {
    const auto kind = ui.kindOf(name);
    if (kind) {
        json control = {{"kind", kindName(*kind)},
                        {"text", toUtf8(ui.text(name))},
                        {"enabled", ui.isEnabled(name)},
                        {"visible", ui.isVisible(name)},
                        {"shown", ui.effectivelyVisible(name)}};
        if (*kind == ControlKind::Check) control["checked"] = ui.isChecked(name);
        if (*kind == ControlKind::Spin) control["value"] = ui.spinValue(name);
        if (*kind == ControlKind::Icon) {
            if (const auto icon = ui.iconOf(name)) control["icon"] = icon->index;
        }
        state["controls"][name] = std::move(control);
        if (*kind == ControlKind::List || *kind == ControlKind::DriveRow) state["lists"][name] = listState(ui, name);
        if (*kind == ControlKind::Combo) {
            json items = json::array();
            const int count = ui.comboCount(name);
            for (int i = 0; i < count; ++i) items.push_back(toUtf8(ui.comboItem(name, i)));
            state["combos"][name] = {{"items", std::move(items)}, {"selected", ui.comboSelection(name)}};
        }
    }
    for (const auto& child : ui.childrenOf(name)) addControl(ui, child, state);
}

std::wstring withoutCountdown(const std::wstring& caption, int* seconds) {
    // "Yes (7)": the caption and the seconds left.
    const std::size_t open = caption.rfind(L" (");
    if (open == std::wstring::npos || caption.size() < open + 4 || caption.back() != L')') return caption;
    const std::wstring digits = caption.substr(open + 2, caption.size() - open - 3);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos) return caption;
    if (seconds) *seconds = std::stoi(digits);
    return caption.substr(0, open);
}

json optionalNumber(const std::optional<int>& value) { return value ? json(*value) : json(nullptr); }

}  // namespace

json captureState(SimToolkit& ui) {
    json state = {{"title", ui.isWindow(controls::MainWindow) ? toUtf8(ui.text(controls::MainWindow)) : ""},
                  {"windows", json::array()},
                  {"controls", json::object()},
                  {"lists", json::object()},
                  {"status", json::array()},
                  {"progress", nullptr},
                  {"menu", json::object()},
                  {"combos", json::object()}};
    for (const auto& window : ui.windows()) {
        state["windows"].push_back({{"name", window},
                                    {"title", toUtf8(ui.text(window))},
                                    {"visible", ui.isVisible(window)},
                                    {"enabled", ui.isEnabled(window)}});
        for (const auto& child : ui.childrenOf(window)) addControl(ui, child, state);
    }
    if (ui.kindOf(controls::StatusBar) == ControlKind::StatusBar) {
        const std::size_t fields = std::max<std::size_t>(ui.statusFields(controls::StatusBar).size(), 1);
        for (std::size_t f = 0; f < fields; ++f) {
            state["status"].push_back(toUtf8(ui.statusText(controls::StatusBar, static_cast<int>(f))));
        }
        state["progress"] = ui.progress(controls::StatusBar);
    }
    for (const auto& item : ui.menuItems(controls::OptionsMenu)) {
        if (item.id == 0) continue;  // a separator
        state["menu"][std::to_string(item.id)] = {
            {"text", toUtf8(item.text)}, {"checked", item.checked}, {"enabled", item.enabled}};
    }
    return state;
}

MessageBoxRecord readMessageBox(SimToolkit& ui) {
    MessageBoxRecord box;
    if (!ui.isWindow(controls::MessageBox)) return box;
    box.title = ui.text(controls::MessageBox);
    if (ui.exists(controls::MessageBoxText)) box.text = ui.text(controls::MessageBoxText);
    if (ui.exists(controls::MessageBoxStrip)) {
        for (const auto& button : ui.childrenOf(controls::MessageBoxStrip)) {
            int seconds = 0;
            box.buttons.push_back(withoutCountdown(ui.text(button), &seconds));
            if (seconds > 0) box.countdown = seconds;
        }
    }
    if (ui.exists(controls::MessageBoxIcon)) {
        if (const auto icon = ui.iconOf(controls::MessageBoxIcon)) box.icon = icon->index;
    }
    return box;
}

std::optional<int> messageBoxResultOf(const std::string& caption) {
    if (caption == "Yes") return 6;
    if (caption == "No") return 7;
    if (caption == "Cancel") return 2;
    if (caption == "Ok") return 0;
    return std::nullopt;
}

std::string messageBoxAnswerName(int result) {
    switch (result) {
        case 6:
            return "Yes";
        case 7:
            return "No";
        case 2:
            return "Cancel";
        case 0:
            return "Ok";
    }
    return std::to_string(result);
}

std::optional<int> messageBoxResult(SimToolkit& ui) {
    // A close request ends the box with Cancel whoever sent it (a worker whose job ended, the
    // system), and whatever button had the focus then.
    if (ui.closeTaken(controls::MessageBox)) return kResultCancel;
    const std::string focus = ui.focused(controls::MessageBox);
    if (focus.empty() || !ui.exists(focus)) return std::nullopt;
    return messageBoxResultOf(toUtf8(withoutCountdown(ui.text(focus), nullptr)));
}

json reportJson(const RunReport& report) {
    json snapshots = json::array();
    for (const auto& [label, state] : report.snapshots) snapshots.push_back({{"label", label}, {"state", state}});
    json boxes = json::array();
    for (const auto& box : report.messageBoxes) {
        json buttons = json::array();
        for (const auto& b : box.buttons) buttons.push_back(toUtf8(b));
        boxes.push_back({{"title", toUtf8(box.title)},
                         {"text", toUtf8(box.text)},
                         {"buttons", std::move(buttons)},
                         {"countdown", box.countdown},
                         {"icon", optionalNumber(box.icon)},
                         {"answer", optionalNumber(box.answer)}});
    }
    json calls = json::array();
    for (const auto& call : report.calls) calls.push_back(toUtf8(call));
    json out = {{"exitCode", optionalNumber(report.exitCode)},
                {"ending", report.ending},
                {"snapshots", std::move(snapshots)},
                {"final", report.finalState},
                {"messageBoxes", std::move(boxes)},
                {"calls", std::move(calls)},
                {"callCounts", report.callCounts},
                {"faults", report.faults}};
    if (report.exitCodeAfterClose) out["exitCodeAfterClose"] = *report.exitCodeAfterClose;
    if (report.failedStep) {
        out["failedStep"] = {
            {"number", report.failedStep->number}, {"step", report.failedStep->step}, {"why", report.failedStep->why}};
    }
    return out;
}

bool writeReport(const RunReport& report, const std::string& path, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot write the report to " + path;
        return false;
    }
    // Text that reached the report through toUtf8() is valid UTF-8; replace guards the rest.
    out << reportJson(report).dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    out.flush();
    if (!out) {
        error = "cannot write the report to " + path;
        return false;
    }
    return true;
}

}  // namespace halvora::sim
