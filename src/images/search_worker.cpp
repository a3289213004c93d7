#include "images/search_worker.hpp"

#include "images/search_drives.hpp"
#include "ui/main_window_events.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

void searchWorkerMain(Program& program, std::vector<std::wstring> exclusions) {
    searchDrives(program, std::move(exclusions));
    postToMainWindow(program, kSearchFinished);
    program.state.SearchWorkerAlive = false;
}

}  // namespace

void startSearch(Program& program) {
    AppState& s = program.state;
    // Any earlier worker has posted its last event (it was not alive), so this join is short.
    joinFinishedWorker(program.searchThread);
    // A stop asked for just as the last search ended must not end this one at once.
    s.SearchStopRequested = false;
    s.SearchWorkerAlive = true;
    std::uint32_t error = 0;
    // The worker gets its own copy: the list may be read again while it runs.
    program.searchThread = program.system.startThread(
        [&program, exclusions = s.ExclusionList] { searchWorkerMain(program, exclusions); }, error);
    if (!program.searchThread) {
        s.SearchWorkerAlive = false;
        // Worded as the other workers' failed starts, so the empty panel is not taken for a
        // search that found nothing.
        showStatus(program, L"검색 쓰레드 생성 오류 발생: " + std::to_wstring(error));
    }
}

void onSearchFinished(Program& program) {
    // The thread held now may be a newer search started before this event came through; it
    // is joined only once no search is alive, as it may still be writing to the list.
    if (!program.state.SearchWorkerAlive.load()) joinFinishedWorker(program.searchThread);
}

}  // namespace halvora
