#pragma once
// The program's preferences in HLV_xSET.ini beside its own file: the interface font, the search
// options, the colours, and the seeded tables. Every key found missing is written back at once
// with its default, so a fresh file lists everything that can be set.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/program_context.hpp"
#include "ui/settings_session.hpp"

namespace halvora {

// The exclusions a new settings file lists, in the order the file lists them.
const std::vector<std::wstring>& seededExclusions();

// The start-up reading of the settings; shows the feature report in the status line.
void loadSettings(Program& program);

// Writes one search option (ScanDepth, ScanSkipOSDrive, ScanWithISO) as the user changed it.
void writeSearchOption(Program& program, const std::wstring& key, int value);

}  // namespace halvora
