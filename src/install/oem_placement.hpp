#pragma once
// Placing the customisations into a freshly applied Windows: the $OEM$ folders and the answer
// file.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Copies $$ to T\Windows, $1 to T\ and $Progs to T\Program Files of target drive `target`
// ("E:"); returns how many of the three were copied without a single failed file.
int copyOemFolders(Program& program, const std::wstring& oemPath, const std::wstring& target);

// Places the answer file as T\Windows\Panther\unattend.xml, replacing one that is there;
// 1 when it was placed, else 0.
int placeAnswerFile(Program& program, const std::wstring& answerFile, const std::wstring& target);

// Copies every file under `from` into `to`, creating folders as needed and overwriting files
// that are not read-only; true when every file was copied.
bool copyFolderTree(System& system, const std::wstring& from, const std::wstring& to);

}  // namespace halvora
