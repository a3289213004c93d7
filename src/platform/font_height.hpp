#pragma once
// How the toolkit turns the interface font's stored size into a font's cell height.

namespace halvora {

// The interface font's stored size is point-like and usually negative (-11 for Consolas). The
// font is created with the usual point-to-pixel conversion of that value, negated, so the
// negative stored sizes become positive cell heights: -11 at 96 dpi gives 14.
inline int fontCellHeight(int storedSize, int dpi) { return -(storedSize * dpi / 72); }

}  // namespace halvora
