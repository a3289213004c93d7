#pragma once
// What happens after an installation: the person confirms the chosen action once more, with a
// countdown so that an unattended installation goes on by itself. The action itself runs when
// the program exits.

#include <cstdint>
#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// The summary box for after-install choice `choice` and boot result `bootResult`.
struct AfterInstallBox {
    const wchar_t* title;
    int buttons;
    int countdownSeconds;
    int icon;
};
AfterInstallBox afterInstallBox(int choice, std::int64_t bootResult);

// The after-install action that follows the box's `answer`: the choice when the person agreed,
// else Ready.
int afterActionFor(int choice, int answer);

// Shows the summary with the after-install choice's box and sets AfterAction: the choice when
// the answer is Yes, else Ready. A failed boot configuration (`bootResult` not 0) shows a
// warning icon and counts down 5 seconds longer.
void confirmAfterAction(Program& program, std::int64_t bootResult, const std::wstring& summary);

}  // namespace halvora
