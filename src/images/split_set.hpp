#pragma once
// Split image sets (install.swm, install2.swm, ...): the names of the parts, and whether every
// part is there and belongs to the set before an installation writes anything.

#include <cstdint>
#include <string>

#include "images/wim_info.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// Part `part` of a split set named by its first part: D:\s\install.swm, 2 → D:\s\install2.swm.
std::wstring splitPartPath(const std::wstring& firstPart, unsigned part);

// What the status bar and the error box say of a part that is missing or not of the set,
// followed by its path.
inline const std::wstring kSplitPartMissingText = L"분할 파일을 찾을 수 없습니다: ";
inline const std::wstring kSplitPartMismatchText = L"분할 파일이 맞지 않습니다: ";

// What reading one part gave.
struct SplitPartReading {
    std::int64_t size = -1;   // the file's size; -1 when there is no such file
    bool read = false;        // the library opened it and gave its WIM_INFO
    WimInfo info;             // when read
    std::uint32_t error = 0;  // when not: the library's error, 0 when it gave none
};

// Why part `number` (at `path`) cannot complete the set that `set` (the first part's WIM_INFO)
// describes: missing, empty, not an image, or a part of another set, of a set split into a
// different number of parts, or another part than its name says. Empty when it belongs.
std::wstring splitPartRefusal(const WimInfo& set, unsigned number, const std::wstring& path,
                              const SplitPartReading& part);

// Reads the part through the imaging library (its size, then its WIM_INFO). With `log` the
// library's log is started for the reading and stopped after it.
SplitPartReading readSplitPart(Program& program, const std::wstring& path, bool log);

// The first refusal among the parts after the first, for the set whose first part is
// `firstPart`, described by `set`; empty when every part belongs, or when `set` is not the first
// part of a split set.
std::wstring splitSetRefusal(Program& program, const std::wstring& firstPart, const WimInfo& set, bool log);

// The same, reading the first part's WIM_INFO too. A first part that cannot be read is not
// refused here: opening it for the apply reports that.
std::wstring splitSetRefusal(Program& program, const std::wstring& firstPart, bool log);

}  // namespace halvora
