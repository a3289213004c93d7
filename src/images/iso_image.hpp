#pragma once
// Which file an image path stands for: install images as they are, an ISO through what it holds.

#include <string>

#include "ui/program_context.hpp"

namespace halvora {

// The upper-cased text after the last dot of the file name; empty when it has none.
std::wstring fileExtension(const std::wstring& path);

// WIM and SWM paths unchanged, an ESD path where this Windows supports ESD; for an ISO the
// install file under sources\ of the attached ISO, or its root when it holds none; anything
// else gives the empty text.
std::wstring resolveIsoImage(Program& program, const std::wstring& path);

}  // namespace halvora
