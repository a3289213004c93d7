#include "images/search_walk.hpp"

#include <algorithm>

#include "images/search_file_kind.hpp"
#include "images/search_list.hpp"

namespace halvora {

namespace {

bool excluded(const SearchWalk& walk, const std::wstring& name) {
    return std::find(walk.exclusions.begin(), walk.exclusions.end(), name) != walk.exclusions.end();
}

}  // namespace

bool searchShouldStop(const Program& program) {
    return program.state.SearchStopRequested.load() || program.state.Busy.load();
}

int walkFolder(Program& program, const SearchWalk& walk, std::wstring folder, int level) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    const auto entries = program.system.listFolder(folder);
    if (!entries) return 0;
    int count = 0;
    for (const FolderEntry& entry : *entries) {
        if (entry.attributes & kFileAttributeDirectory) {
            if (entry.name != L"." && entry.name != L".." && level < walk.maxDepth && !excluded(walk, entry.name)) {
                count += walkFolder(program, walk, folder + entry.name, level + 1);
            }
        } else if (const auto kind = searchFileKind(entry.name, walk.esdSupported, walk.includeIso)) {
            addSearchFileRow(program, folder + entry.name, entry.size, *kind);
            ++count;
        }
        if (searchShouldStop(program)) break;
    }
    return count;
}

}  // namespace halvora
