#pragma once
// The interface font and its size: the user's choice from the settings file when it is
// installed, else the system's; sizes from the settings' DefineFontSize group or a built-in table.

#include <string>
#include <vector>

#include "ui/program_context.hpp"

namespace halvora {

// The font sizes a new settings file lists, in the order the file lists them.
struct FontSizeEntry {
    std::wstring font;
    int size;
};
const std::vector<FontSizeEntry>& seededFontSizes();
// The size the program knows for a font without the settings file; 0 for an unknown name.
int builtInFontSize(const std::wstring& font);

// The interface font: the user's choice when installed, else the system's small-caption font,
// else the stock GUI font; its size from DefineFontSize or the built-in table.
void chooseFont(Program& program);
int fontSizeFor(Program& program, const std::wstring& font);

}  // namespace halvora
