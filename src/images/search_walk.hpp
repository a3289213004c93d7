#pragma once
// The walk of one folder tree for install files.

#include <string>
#include <vector>

#include "ui/program_context.hpp"

namespace halvora {

// What a search looks for, fixed when it starts (its controls are disabled while it runs).
struct SearchWalk {
    int maxDepth = 2;  // folder levels below the root that are listed
    bool esdSupported = false;
    bool includeIso = false;               // ISO support present and asked for
    std::vector<std::wstring> exclusions;  // folder names never entered, compared exactly
};

// True when the running search is to end: the user stopped it or an installation started.
bool searchShouldStop(const Program& program);

// Lists `folder` (level 0 is the drive root) and, while `level` is below the walk's depth, the
// folders in it, appending a row for each install file in the order the file system gives
// them. Returns the number of files listed; a folder that cannot be listed adds none.
int walkFolder(Program& program, const SearchWalk& walk, std::wstring folder, int level);

}  // namespace halvora
