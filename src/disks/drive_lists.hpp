#pragma once
// The four drive lists: the two pickers (TargetDriveList, BootDriveList) and the two one-row
// displays of the chosen install and boot locations (TargetRow, BootRow).

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Refills both pickers with every lettered removable or fixed volume (ESPs only in the boot
// picker) and refreshes the chosen rows from the new rows, without a new boot search.
void rebuildDriveLists(Program& program);

// Copies the 13 texts and the icon of a row; with `clear` empties the destination row instead.
void copyDriveRow(Program& program, const ControlName& source, int sourceRow, const ControlName& destination,
                  int destinationRow, bool clear);

// Reads the chosen volume again (label, file system, style, sizes) after something changed it.
void refreshChosenRow(Program& program, const ControlName& oneRow, const ControlName& picker);

void applyDriveColumns(Program& program, const ControlName& list);

// The picker row whose drive is `drive` ("E:"), or -1.
int findDriveRow(Program& program, const ControlName& list, const std::wstring& drive);

}  // namespace halvora
