#include "ui/option_summary.hpp"

#include <utility>

#include "ui/main_window_layout.hpp"

namespace halvora {

std::wstring optionSummary(Program& program) {
    static const std::pair<int, const wchar_t*> names[] = {{kMenuCompact, L" Compact"},
                                                           {kMenuWimBoot, L" WIMboot"},
                                                           {kMenuVerify, L" Verify"},
                                                           {kMenuCheck, L" Check"},
                                                           {kMenuLog, L" Log"}};
    std::wstring summary;
    for (const auto& [item, name] : names) {
        if (program.ui.isMenuItemChecked(controls::OptionsMenu, item)) summary += name;
    }
    return summary;
}

void rebuildOptionSummary(Program& program) {
    program.ui.setText(controls::OptionSummaryLabel, optionSummary(program));
}

}  // namespace halvora
