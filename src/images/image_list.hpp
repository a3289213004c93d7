#pragma once
// The image list: choosing an image file and showing the images inside it.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// Whether an image information text, one element per line, can list an image at all: one with
// five line breaks or fewer holds none.
bool informationListsImages(const std::wstring& information);

// The file requester's type filter for the image types this Windows can use.
std::wstring imageFileFilter(bool isoSupported, bool esdSupported);

// Column alignments, and either every column sized to fit (full) or the compact set.
void setImageColumns(Program& program, bool full);

// Shows the images of `path` (asking with the file requester when it is empty or a folder) and
// selects row `preferredRow` (row 0 when out of range). Nothing changes when the file is not a
// readable image file.
void selectImageFile(Program& program, std::wstring path, int preferredRow);

}  // namespace halvora
