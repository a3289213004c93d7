#include "images/search_commands.hpp"

#include "images/image_list.hpp"
#include "images/search_exclusions.hpp"
#include "images/search_list.hpp"
#include "images/search_worker.hpp"
#include "ui/main_window.hpp"

namespace halvora {

void onSearchButton(Program& program) {
    AppState& s = program.state;
    showPanel(program, controls::SearchPanel);
    if (!s.SearchStarted) {
        if (s.anyWorkerAlive()) return;
        readExclusionList(program);
        startSearch(program);
        s.SearchStarted = true;
        return;
    }
    // A search still running marks the current file itself when it ends; marking now would
    // race it over the same rows.
    if (!s.SearchWorkerAlive.load()) markCurrentResult(program);
}

void onSearchAgain(Program& program) {
    if (!program.state.anyWorkerAlive()) startSearch(program);
}

void onSearchBack(Program& program) {
    if (program.state.SearchWorkerAlive.load()) {
        program.state.SearchStopRequested = true;
        return;
    }
    showPanel(program, controls::MainPanel);
}

void onSearchResultChosen(Program& program) {
    AppState& s = program.state;
    Toolkit& ui = program.ui;
    const int row = ui.selectedRow(kSearchResultList);
    if (row < 0) return;
    const std::wstring path = ui.cell(kSearchResultList, row, kSearchPathColumn);
    const bool fileRow = ui.cell(kSearchResultList, row, kSearchTypeColumn) == kSearchFileRow;
    // A drive row's text ("E:     label") would read as a drive-relative file name: only file
    // rows are ever chosen.
    if (fileRow && program.system.fileSize(path) > 0) {
        if (s.SearchWorkerAlive.load()) s.SearchStopRequested = true;
        selectImageFile(program, path, -1);
        showPanel(program, controls::MainPanel);
        return;
    }
    if (!s.SearchWorkerAlive.load() && fileRow) {
        removeSearchRow(program, row);
    }
}

}  // namespace halvora
