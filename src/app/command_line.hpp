#pragma once
// The command line: an installation described by arguments, from this process or handed over
// by a second one. It turns into the same control states a user would set by hand.

#include <string>
#include <vector>

#include "ui/program_context.hpp"

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
    // Every /ApplyDrv: in the order given, upper case, at most 2 characters: each is selected
    // in turn, so a later one that is not listed leaves an earlier one's choice in place.
    std::vector<std::wstring> applyDrives;
    std::wstring bootDrive;  // /BootDrv: as above, "-" or "*"
    std::wstring imageFile;  // /ImageFile:, or the last bare argument when none is given
    int index = 0;           // /Index: minus 1; -1 for text that is not a number (or too large for one)
    bool hasIndex = false;
    std::wstring xmlFile;
    std::wstring oemPath;
    int afterChoice = -1;  // /after: 0 shutdown, 1 reboot, 2 finish, 3 anything else; -1 absent
};

// What the status bar says when a command line asks for both /Compact and /WIMboot.
inline const std::wstring kCompactWithWimBootText =
    L"/Compact 와 /WIMboot 는 함께 사용할 수 없습니다. 자동 설치를 취소 합니다.";

// Parses the arguments joined by "|" (each followed by "|").
ParsedCommandLine parseArguments(const std::wstring& text);

// Applies a command line to the window. An empty text means this process's own arguments;
// `startup` is false for a hand-over from a second instance. Returns whether the installation
// is to start by itself. Nothing changes while anything runs, a box is open, or (for a
// hand-over) a picker or the search is in front.
bool parseCommandLine(Program& program, const std::wstring& text, bool startup);

}  // namespace halvora
