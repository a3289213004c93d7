#pragma once

#include "ui/program_context.hpp"

namespace halvora {

// Refills the exclusion list from the settings file: the keys of group SearchDirExclusionList
// whose value is not empty, in file order. A file that cannot be read, or has no such group,
// leaves the list as it was.
void readExclusionList(Program& program);

}  // namespace halvora
