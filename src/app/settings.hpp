#pragma once
// The program's preferences in HLV_xSET.ini beside its own file: the interface font, the search
// options, the colours, and the seeded tables. Every key found missing is written back at once
// with its default, so a fresh file lists everything that can be set.

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_file.hpp"
#include "ui/program_context.hpp"

namespace halvora {

inline const std::wstring kGroupMain = L"HLV_XSET";
inline const std::wstring kGroupFontSize = L"DefineFontSize";
inline const std::wstring kGroupColours = L"HLV_COLOR";
inline const std::wstring kGroupExclusions = L"SearchDirExclusionList";

// The settings file opened for one reading or writing; what was written is saved by close().
class SettingsSession {
public:
    SettingsSession(System& system, std::wstring path);
    bool isOpen() const { return open_; }
    void selectGroup(const std::wstring& group) { group_ = group; }

    int readIntKey(const std::wstring& key, int defaultValue);
    std::wstring readTextKey(const std::wstring& key, const std::wstring& defaultValue);
    std::int32_t readColourKey(const std::wstring& key, const std::wstring& defaultText);
    // Reads without writing anything back; nullopt when missing.
    std::optional<std::wstring> peek(const std::wstring& key) const;
    // The keys of a whole group with their values, in file order; nullopt when the file is not
    // open or has no such group.
    std::optional<std::vector<std::pair<std::wstring, std::wstring>>> entries(const std::wstring& group) const {
        if (!open_) return std::nullopt;
        return file_.entries(group);
    }
    void writeInt(const std::wstring& key, int value);
    // Saves the changes, if any; false when the file could not be written.
    bool close();

private:
    System& system_;
    std::wstring path_;
    SettingsFile file_;
    std::wstring group_;
    bool open_ = false;
    bool changed_ = false;
};

// "-1" for the default colour, else red, green and blue joined by ", ".
std::wstring colourText(std::int32_t colour);
// A stored colour: `text` when it holds exactly two commas, otherwise `fallback`; then "-1"
// gives -1 and three numbers give R + 256 G + 65536 B (each kept to its low 8 bits).
std::int32_t parseColour(const std::wstring& text, const std::wstring& fallback);

// The seeded tables, in the order the file lists them.
struct FontSizeEntry {
    std::wstring font;
    int size;
};
const std::vector<FontSizeEntry>& seededFontSizes();
const std::vector<std::wstring>& seededExclusions();
// The size the program knows for a font without the settings file; 0 for an unknown name.
int builtInFontSize(const std::wstring& font);

// The interface font: the user's choice when installed, else the system's small-caption font,
// else the stock GUI font; its size from DefineFontSize or the built-in table.
void chooseFont(Program& program);
int fontSizeFor(Program& program, const std::wstring& font);

// The start-up reading of the settings; shows the feature report in the status line.
void loadSettings(Program& program);

// Writes one search option (ScanDepth, ScanSkipOSDrive, ScanWithISO) as the user changed it.
void writeSearchOption(Program& program, const std::wstring& key, int value);

}  // namespace halvora
