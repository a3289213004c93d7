#pragma once
// ISO files as install images: attached read-only through the platform's virtual-disk library
// into one of two slots, so that the ISO holding the chosen install file is never the one
// replaced, and detached when the program ends.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

inline constexpr int kAttachIso = 1;
inline constexpr int kDetachIso = 2;

// Attaches (mode 1) or detaches (mode 2) the ISO; either way returns the physical path of its
// disk ("\\.\CDROM1"), or empty when the library or the ISO cannot be opened.
std::wstring virtualDiskOp(Program& program, const std::wstring& isoPath, int mode);

// What the status bar says, before the ISO's path, when an attached ISO got no drive letter.
inline const std::wstring kIsoWithoutLetterText = L"ISO 탑재 실패: 드라이브 문자가 할당되지 않았습니다. ";

// The drive root ("F:\") of the attached ISO, attaching it when it is not attached yet and
// waiting up to 10 s for its letter; empty when that fails (an ISO that got no letter is
// detached again).
std::wstring mountIso(Program& program, const std::wstring& isoPath);

// Detaches the ISOs this program attached.
void releaseIsos(Program& program);

}  // namespace halvora
