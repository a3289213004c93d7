#pragma once
// One opening of the program's settings file (HLV_xSET.ini beside its own file) for reading or
// writing keys, and the colour notation it stores. Everything that keeps a preference goes
// through it, from the window's colours to the search's exclusion list.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system.hpp"
#include "ui/settings_file.hpp"

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

}  // namespace halvora
