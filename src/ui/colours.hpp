#pragma once
// The colour pairs that the settings file may change: text (F) and background (B) colours as
// R + 256 G + 65536 B, or -1 for the control's own default.

#include <cstdint>
#include <string>
#include <vector>

namespace halvora {

struct ColourPair {
    std::int32_t text = -1;
    std::int32_t background = -1;
};

struct ColourTable {
    ColourPair labelTitle;  // captions of the picker and search panels
    ColourPair labelMBox;   // the program's message box
    ColourPair labelCmd;    // the clickable labels of the title strip
    ColourPair lvMatch;     // disk cells of the chosen rows when both lie on one disk
    ColourPair findDrive;   // rows of the install-file list
    ColourPair findWim;
    ColourPair findSwm;
    ColourPair findEsd;
    ColourPair findIso;
};

constexpr std::int32_t rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

ColourTable defaultColours();

// The settings keys of each pair, in the order the file lists them; the key names are the
// prefix followed by "F" and "B".
struct ColourKey {
    const wchar_t* prefix;
    ColourPair ColourTable::*pair;
};
const std::vector<ColourKey>& colourKeys();

}  // namespace halvora
