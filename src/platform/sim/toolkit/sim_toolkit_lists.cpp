// Lists, drive rows, combo boxes, spin fields and the status bar of the sim toolkit.

#include <algorithm>

#include "platform/sim/toolkit/sim_toolkit.hpp"

namespace halvora::sim {

namespace {

bool validRow(const SimControl& list, int row) { return row >= 0 && row < static_cast<int>(list.rows.size()); }

bool validColumn(const SimControl& list, int column) {
    return column >= 0 && column < static_cast<int>(list.columns.size());
}

// A report view keeps the item text and one sub-item per further column, nothing beyond.
std::size_t cellSlots(const SimControl& list) { return std::max<std::size_t>(list.columns.size(), 1); }

}  // namespace

void SimToolkit::addColumn(const ControlName& list, const std::wstring& title, int width) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "addColumn");
    if (!l) return;
    l->columns.push_back(SimColumn{title, width, ColumnAlign::Left});
    for (auto& row : l->rows) row.cells.resize(cellSlots(*l));
}

int SimToolkit::columnCount(const ControlName& list) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "columnCount");
    return l ? static_cast<int>(l->columns.size()) : 0;
}

std::wstring SimToolkit::columnTitle(const ControlName& list, int column) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "columnTitle");
    return l && validColumn(*l, column) ? l->columns[column].title : L"";
}

void SimToolkit::setColumnWidth(const ControlName& list, int column, int width) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "setColumnWidth");
    if (!l || !validColumn(*l, column)) return;
    if (width == kAutoSizeUseHeader) {
        // As the list view does: the widest of the header and the cells, with its margins.
        int widest = simTextWidth(l->columns[column].title);
        for (const SimRow& row : l->rows) {
            if (column < static_cast<int>(row.cells.size())) widest = std::max(widest, simTextWidth(row.cells[column]));
        }
        width = widest + kSimColumnMargin;
    }
    l->columns[column].width = width;
}

int SimToolkit::columnWidth(const ControlName& list, int column) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "columnWidth");
    return l && validColumn(*l, column) ? l->columns[column].width : 0;
}

void SimToolkit::setColumnAlignment(const ControlName& list, int column, ColumnAlign align) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "setColumnAlignment");
    if (l && validColumn(*l, column)) l->columns[column].align = align;
}

ColumnAlign SimToolkit::columnAlignment(const ControlName& list, int column) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "columnAlignment");
    return l && validColumn(*l, column) ? l->columns[column].align : ColumnAlign::Left;
}

int SimToolkit::addRow(const ControlName& list, const std::vector<std::wstring>& cells) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "addRow");
    if (!l) return -1;
    SimRow row;
    row.cells = cells;
    row.cells.resize(cellSlots(*l));
    l->rows.push_back(std::move(row));
    return static_cast<int>(l->rows.size()) - 1;
}

void SimToolkit::deleteRow(const ControlName& list, int row) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "deleteRow");
    if (!l || !validRow(*l, row)) return;
    l->rows.erase(l->rows.begin() + row);
    if (l->selected == row) {
        l->selected = -1;
    } else if (l->selected > row) {
        --l->selected;
    }
}

void SimToolkit::deleteAllRows(const ControlName& list) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "deleteAllRows");
    if (!l) return;
    l->rows.clear();
    l->selected = -1;
    l->ensuredVisible = -1;
}

int SimToolkit::rowCount(const ControlName& list) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "rowCount");
    return l ? static_cast<int>(l->rows.size()) : 0;
}

std::wstring SimToolkit::cell(const ControlName& list, int row, int column) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "cell");
    if (!l || !validRow(*l, row) || column < 0) return L"";
    const auto& cells = l->rows[row].cells;
    return column < static_cast<int>(cells.size()) ? cells[column] : L"";
}

void SimToolkit::setCell(const ControlName& list, int row, int column, const std::wstring& text) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "setCell");
    if (!l || !validRow(*l, row) || column < 0) return;
    auto& cells = l->rows[row].cells;
    if (column < static_cast<int>(cells.size())) cells[column] = text;
}

int SimToolkit::selectedRow(const ControlName& list) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "selectedRow");
    return l ? l->selected : -1;
}

void SimToolkit::selectRow(const ControlName& list, int row) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "selectRow");
    if (!l) return;
    if (row == -1 || validRow(*l, row)) l->selected = row;
}

void SimToolkit::ensureRowVisible(const ControlName& list, int row) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "ensureRowVisible");
    if (l && validRow(*l, row)) l->ensuredVisible = row;
}

int SimToolkit::addListIcon(const ControlName& list, const std::wstring& file, int index) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "addListIcon");
    if (!l) return -1;
    l->listIcons.push_back(SimIcon{file, index, 0});
    return static_cast<int>(l->listIcons.size()) - 1;
}

void SimToolkit::setRowIcon(const ControlName& list, int row, int icon) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "setRowIcon");
    if (l && validRow(*l, row)) l->rows[row].icon = icon;
}

int SimToolkit::rowIcon(const ControlName& list, int row) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "rowIcon");
    return l && validRow(*l, row) ? l->rows[row].icon : -1;
}

void SimToolkit::setCellColours(const ControlName& list, int row, int column, std::int32_t text,
                                std::int32_t background) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "setCellColours");
    if (l && validRow(*l, row) && column >= 0) l->rows[row].colours[column] = {text, background};
}

std::pair<std::int32_t, std::int32_t> SimToolkit::cellColours(const ControlName& list, int row, int column) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* l = findList(list, "cellColours");
    if (!l || !validRow(*l, row)) return {kDefaultColour, kDefaultColour};
    const auto& colours = l->rows[row].colours;
    const auto it = colours.find(column);
    return it == colours.end() ? std::pair{kDefaultColour, kDefaultColour} : it->second;
}

std::vector<SimIcon> SimToolkit::listIcons(const std::string& list) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(list);
    return it == controls_.end() ? std::vector<SimIcon>{} : it->second.listIcons;
}

int SimToolkit::ensuredVisibleRow(const std::string& list) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(list);
    return it == controls_.end() ? -1 : it->second.ensuredVisible;
}

// --- combo boxes and spin fields ------------------------------------------------------------

void SimToolkit::addComboItem(const ControlName& combo, const std::wstring& text) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(combo, "addComboItem", {ControlKind::Combo})) c->items.push_back(text);
}

int SimToolkit::comboCount(const ControlName& combo) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(combo, "comboCount", {ControlKind::Combo});
    return c ? static_cast<int>(c->items.size()) : 0;
}

std::wstring SimToolkit::comboItem(const ControlName& combo, int index) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(combo, "comboItem", {ControlKind::Combo});
    if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return L"";
    return c->items[index];
}

void SimToolkit::setComboSelection(const ControlName& combo, int index) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(combo, "setComboSelection", {ControlKind::Combo});
    if (!c) return;
    // CB_SETCURSEL with an index out of range clears the selection.
    c->comboSelection = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
}

int SimToolkit::comboSelection(const ControlName& combo) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(combo, "comboSelection", {ControlKind::Combo});
    return c ? c->comboSelection : -1;
}

void SimToolkit::setSpinRange(const ControlName& spin, int low, int high) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(spin, "setSpinRange", {ControlKind::Spin})) {
        c->low = low;
        c->high = high;
    }
}

void SimToolkit::setSpinValue(const ControlName& spin, int value) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(spin, "setSpinValue", {ControlKind::Spin})) {
        // UDM_SETPOS32 keeps the position inside the range and writes it into the buddy field.
        const int low = std::min(c->low, c->high);
        const int high = std::max(c->low, c->high);
        c->value = std::clamp(value, low, high);
        c->text = std::to_wstring(c->value);
    }
}

int SimToolkit::spinValue(const ControlName& spin) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(spin, "spinValue", {ControlKind::Spin});
    return c ? c->value : 0;
}

std::pair<int, int> SimToolkit::spinRange(const std::string& spin) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(spin);
    return it == controls_.end() ? std::pair{0, 0} : std::pair{it->second.low, it->second.high};
}

// --- status bar and progress ----------------------------------------------------------------

void SimToolkit::setStatusFields(const ControlName& bar, const std::vector<int>& widths) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(bar, "setStatusFields", {ControlKind::StatusBar})) c->fieldWidths = widths;
}

void SimToolkit::setStatusText(const ControlName& bar, int field, const std::wstring& text) {
    SentCall sent(*queue_);
    {
        std::lock_guard lock(mutex_);
        SimControl* c = findKind(bar, "setStatusText", {ControlKind::StatusBar});
        if (!c) return;
        // A status bar has one field until it is given more.
        const int fields = std::max<int>(static_cast<int>(c->fieldWidths.size()), 1);
        if (field < 0 || field >= fields) {
            fault("setStatusText: \"" + bar + "\" has no field " + std::to_string(field));
            return;
        }
        std::wstring& current = c->fieldTexts[field];
        if (current == text) return;
        current = text;
    }
    if (observer_) observer_({SimScreenChange::Kind::StatusText, bar, field, text});
}

std::wstring SimToolkit::statusText(const ControlName& bar, int field) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(bar, "statusText", {ControlKind::StatusBar});
    if (!c) return L"";
    const auto it = c->fieldTexts.find(field);
    return it == c->fieldTexts.end() ? L"" : it->second;
}

void SimToolkit::setProgress(const ControlName& bar, int percent) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    if (SimControl* c = findKind(bar, "setProgress", {ControlKind::StatusBar})) {
        c->progress = std::clamp(percent, 0, 100);  // PBM_SETPOS keeps inside the bar's range
    }
}

int SimToolkit::progress(const ControlName& bar) {
    SentCall sent(*queue_);
    std::lock_guard lock(mutex_);
    SimControl* c = findKind(bar, "progress", {ControlKind::StatusBar});
    return c ? c->progress : 0;
}

std::vector<int> SimToolkit::statusFields(const std::string& bar) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(bar);
    return it == controls_.end() ? std::vector<int>{} : it->second.fieldWidths;
}

}  // namespace halvora::sim
