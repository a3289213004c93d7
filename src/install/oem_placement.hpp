#pragma once
// Placing the customisations into a freshly applied Windows: the $OEM$ folders and the answer
// file.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// How the $OEM$ copy went: of the sub-folders $$, $1 and $Progs that were there, how many were
// copied without a single failed file.
struct OemCopyResult {
    int copied = 0;
    int present = 0;
};

// Copies $$ to T\Windows, $1 to T\ and $Progs to T\Program Files of target drive `target`
// ("E:").
OemCopyResult copyOemFolders(Program& program, const std::wstring& oemPath, const std::wstring& target);

// Places the answer file as T\Windows\Panther\unattend.xml, replacing one that is there;
// 1 when it was placed, else 0.
int placeAnswerFile(Program& program, const std::wstring& answerFile, const std::wstring& target);

// The summary's lines for the two customisations; empty when none was chosen. A chosen one that
// did not land (wholly or in part) keeps its line, so that the summary never reads as though
// it had not been asked for: "$OEM$: 2." when all went, "$OEM$: 1/2." when one of two failed,
// "$OEM$: 0." when nothing could be copied; "XML: 1." or "XML: 0.".
std::wstring oemSummaryLine(bool chosen, const OemCopyResult& result);
std::wstring answerFileSummaryLine(bool chosen, int placed);

// Copies every file under `from` into `to`, creating folders as needed and overwriting files
// that are not read-only; true when every file was copied.
bool copyFolderTree(System& system, const std::wstring& from, const std::wstring& to);

}  // namespace halvora
