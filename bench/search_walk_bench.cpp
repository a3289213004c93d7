// How long the install-file walk takes over a large drive, against `find` doing the same work:
// a generated tree of 100,000 files and folders in /tmp (folders six deep, some of them
// excluded by name, one file in 97 an install file), walked at depth 4 with the seeded
// exclusion list. The program's side is the simulated machine's folder listing plus the walk
// and its result rows; find lists the same folders, prunes the same names and prints path and
// size of the same files. Each runs three times after one warm-up; the medians and their ratio
// are printed.
//
//   cmake --preset native -B build/release -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/release --target search_walk_bench && build/release/search_walk_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.hpp"
#include "images/search_list.hpp"
#include "images/search_walk.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "temp_folder.hpp"
#include "ui/program_context.hpp"
#include "ui/control_names.hpp"

namespace {

using namespace halvora;
namespace fs = std::filesystem;

constexpr int kEntries = 100000;
constexpr int kBranching = 6;
constexpr int kTreeDepth = 5;  // folder levels below the root
constexpr int kDepth = 4;      // the search depth
constexpr int kRuns = 3;

std::string folderName(int depth, int index) {
    // Excluded names at the top and further down, so that pruning matters at every level.
    if (depth == 1 && index == 0) return "Windows";
    if (depth == 1 && index == 1) return "Program Files";
    if (depth == 3 && index == 5) return "Temp";
    return std::string("d").append(std::to_string(index));
}

// Makes the folders, then spreads the files over them; returns the number of entries.
int makeTree(const fs::path& root) {
    std::vector<fs::path> folders{root};
    std::vector<fs::path> level{root};
    for (int depth = 1; depth <= kTreeDepth; ++depth) {
        std::vector<fs::path> next;
        for (const auto& parent : level) {
            for (int i = 0; i < kBranching; ++i) next.push_back(parent / folderName(depth, i));
        }
        for (const auto& folder : next) fs::create_directory(folder);
        folders.insert(folders.end(), next.begin(), next.end());
        level = std::move(next);
    }
    const int files = kEntries - static_cast<int>(folders.size()) + 1;  // the root is no entry
    const char* const extensions[] = {".wim", ".esd", ".swm", ".WIM"};
    for (int i = 0; i < files; ++i) {
        const bool install = i % 97 == 0;
        const std::string name =
            std::string("f").append(std::to_string(i)).append(install ? extensions[(i / 97) % 4] : ".dat");
        std::ofstream out(folders[static_cast<std::size_t>(i) % folders.size()] / name, std::ios::binary);
        if (install) out << "image " << i;
    }
    return static_cast<int>(folders.size()) - 1 + files;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Run>
double timed(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string findCommand(const fs::path& root) {
    std::string names;
    for (const auto& name : seededExclusions()) {
        if (!names.empty()) names += " -o ";
        std::string utf8(name.begin(), name.end());  // the seeded names are ASCII
        names += "-name '" + utf8 + "'";
    }
    // Depth 4 lists folders down to level 4, so entries down to level 5 are looked at.
    return "find '" + root.string() + "' -maxdepth " + std::to_string(kDepth + 1) + " -type d \\( " + names +
           " \\) -prune -o -type f \\( -iname '*.wim' -o -iname '*.swm' -o -iname '*.esd' \\) -printf '%p %s\\n'";
}

// Runs find and counts the lines it prints.
int runFind(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    int lines = 0;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, pipe)) {
        if (std::strchr(buffer, '\n')) ++lines;
    }
    return pclose(pipe) == 0 ? lines : -1;
}

}  // namespace

int main() {
    const halvora::testing::TempFolder folder("halvora-search-bench");
    const fs::path& work = folder.root();
    const fs::path drive = work / "E";
    fs::create_directory(drive);
    std::printf("making the tree in %s ...\n", drive.c_str());
    const int entries = makeTree(drive);
    std::printf("%d files and folders\n", entries);

    std::string error;
    auto machine = sim::SimMachine::fromJson({{"drives", {{"E", drive.string()}}}}, error);
    if (!machine) {
        std::fprintf(stderr, "machine: %s\n", error.c_str());
        return 1;
    }
    sim::SimSystem system(machine);
    sim::SimToolkit toolkit(machine);
    toolkit.createWindow(controls::MainWindow, L"bench", {770, 510}, ControlName(), 0);
    toolkit.createControl(
        ControlSpec{kSearchResultList, ControlKind::List, controls::MainWindow, L"", {10, 25, 750, 389}, 0});
    for (const wchar_t* title : {L"경로", L"크기", L"Type"}) toolkit.addColumn(kSearchResultList, title, 100);
    Program program(system, toolkit);
    program.state.EsdSupported = true;
    SearchWalk walk;
    walk.maxDepth = kDepth;
    walk.esdSupported = true;
    walk.exclusions = seededExclusions();

    int programFound = 0;
    const auto walkOnce = [&] {
        toolkit.deleteAllRows(kSearchResultList);
        programFound = walkFolder(program, walk, L"E:\\", 0);
    };
    const std::string command = findCommand(drive);
    int findFound = 0;
    const auto findOnce = [&] { findFound = runFind(command); };

    walkOnce();  // warm-up: the same cached folders for both
    findOnce();
    std::vector<double> programTimes;
    std::vector<double> findTimes;
    for (int run = 0; run < kRuns; ++run) {
        programTimes.push_back(timed(walkOnce));
        findTimes.push_back(timed(findOnce));
    }
    const double programMedian = median(programTimes);
    const double findMedian = median(findTimes);
    std::printf("install files found: program %d, find %d%s\n", programFound, findFound,
                programFound == findFound ? "" : "  (MISMATCH)");
    std::printf("program (sim listing + walk): %.1f ms median of %.1f %.1f %.1f\n", programMedian, programTimes[0],
                programTimes[1], programTimes[2]);
    std::printf("find:                         %.1f ms median of %.1f %.1f %.1f\n", findMedian, findTimes[0],
                findTimes[1], findTimes[2]);
    std::printf("ratio program / find: %.2f\n", programMedian / findMedian);

    return programFound == findFound ? 0 : 1;
}
