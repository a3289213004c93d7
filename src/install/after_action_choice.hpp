#pragma once
// What happens after an installation: the person confirms the chosen action once more, with a
// countdown so that an unattended installation goes on by itself. The action itself runs when
// the program exits.

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Shows the summary with the after-install choice's box and sets AfterAction: the choice when
// the answer is Yes, else Ready. A failed boot configuration (`bootResult` not 0) shows a
// warning icon and counts down 5 seconds longer.
void confirmAfterAction(Program& program, std::int64_t bootResult, const std::wstring& summary);

}  // namespace halvora
