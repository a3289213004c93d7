#pragma once

namespace halvora {

// Positions and sizes in the interface's logical pixels (96 per inch). The win32 toolkit
// multiplies them by the screen's scale; the sim toolkit keeps them as they are.
struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int w = 0;
    int h = 0;
    bool operator==(const Size&) const = default;
};

}  // namespace halvora
