#pragma once

#include <cstdint>
#include <string>

namespace halvora {

// A byte count as people read it: "1000 B", "1.50 KB", "465 GB". Two decimals below 100 of a
// unit, none from 100 on; digits are cut off, never rounded, so a size is never shown larger
// than it is.
std::wstring sizeText(std::int64_t bytes);

}  // namespace halvora
