#pragma once
// Choosing the customisations an installation carries: the folder that holds $OEM$'s $$, $1 and
// $Progs, and the answer file. The choices live in OemEdit and XmlEdit.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// The note shown when the $OEM$ folder brings an unattend.xml of its own that the chosen answer
// file will replace.
inline const std::wstring kAnswerFileOverlapNote = L"<XML 파일> <$OEM$ 위치> 의 xml 중복시 <XML 파일> 복사.";

// Sets the answer file; with an empty `file` the user is asked first. A file of 1 byte or less
// changes nothing.
void setAnswerFile(Program& program, std::wstring file);

// Sets the $OEM$ folder; with an empty `path` the user is asked first, with the folder picker
// (`modern`) or the classic folder tree. Anything that is not an existing folder changes nothing.
void setOemPath(Program& program, std::wstring path, bool modern);

// The folder picker starting at `start` (the current directory when empty); empty when cancelled.
std::wstring pickFolder(Program& program, const ControlName& owner, const std::wstring& start);

}  // namespace halvora
