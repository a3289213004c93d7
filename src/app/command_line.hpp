#pragma once
// The command line: an installation described by arguments, from this process or handed over
// by a second one. It turns into the same control states a user would set by hand.

#include <string>

#include "app/program_context.hpp"

namespace halvora {

// What one parse found. Options are only ever switched on.
struct ParsedCommandLine {
    bool keepBootEntries = false;  // /d
    bool compact = false;
    bool verify = false;
    bool check = false;
    bool log = false;
    bool applyStart = false;
    bool wimBoot = false;
    std::wstring applyDrive;  // /ApplyDrv:, upper case, at most 2 characters; empty when absent
    bool hasApplyDrive = false;
    std::wstring bootDrive;   // /BootDrv: as above, "-" or "*"
    std::wstring imageFile;   // /ImageFile:, or the last bare argument when none is given
    int index = 0;            // /Index: minus 1; -1 for text that is not a number
    bool hasIndex = false;
    std::wstring xmlFile;
    std::wstring oemPath;
    int afterChoice = -1;     // /after: 0 shutdown, 1 reboot, 2 finish, 3 anything else; -1 absent
};

// Parses the arguments joined by "|" (each followed by "|").
ParsedCommandLine parseArguments(const std::wstring& text);

// " Compact WIMboot Verify Check Log" for the marked options menu items, in that order.
std::wstring optionSummary(Program& program);
void rebuildOptionSummary(Program& program);

// Applies a command line to the window. An empty text means this process's own arguments;
// `startup` is false for a hand-over from a second instance. Returns whether the installation
// is to start by itself. Nothing changes while anything runs, a box is open, or (for a
// hand-over) a picker or the search is in front.
bool parseCommandLine(Program& program, const std::wstring& text, bool startup);

}  // namespace halvora
