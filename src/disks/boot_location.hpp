#pragma once
// Choosing the install and boot locations: a drive row becomes the chosen one, and choosing the
// install location finds the boot partition on the same disk and the firmware type by itself.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Makes row `row` of `list` the chosen row of `oneRow` (TargetRow or BootRow). `announce` is
// true for a choice of the user or the command line: it is reported, and an install location
// brings its boot location, firmware type and same-disk mark. A refresh passes false and only
// copies the row and updates the used-space label. A negative row does nothing.
void selectDriveRow(Program& program, const ControlName& list, int row, const ControlName& oneRow, int targetRow,
                    bool announce);

// Empties the boot location: no boot configuration will be written.
void clearBootLocation(Program& program);

// The warning shown with the boot location when it does not suit the install location's
// partition style: "ESP 무시.", "ACT 무시." or empty.
std::wstring bootLocationNote(Program& program);
// The same for an install location of partition style `installStyle` and a boot location of
// boot type `bootType`.
std::wstring bootLocationNote(const std::wstring& installStyle, const std::wstring& bootType);

}  // namespace halvora
