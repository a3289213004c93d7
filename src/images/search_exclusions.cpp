#include "images/search_exclusions.hpp"

#include "ui/settings_session.hpp"

namespace halvora {

void readExclusionList(Program& program) {
    const SettingsSession settings(program.system, program.state.SettingsPath);
    const auto entries = settings.entries(kGroupExclusions);
    if (!entries) return;
    std::vector<std::wstring>& list = program.state.ExclusionList;
    list.clear();
    for (const auto& [name, value] : *entries) {
        if (!value.empty()) list.push_back(name);
    }
}

}  // namespace halvora
