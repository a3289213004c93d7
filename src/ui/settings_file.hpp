#pragma once
// The settings file's format: UTF-8, "[Group]" lines, "key=value" entries, and an empty line
// after each group. A file this program writes anew starts with a byte-order mark and ends its
// lines with CRLF.
//
// The file is the user's as much as the program's: a file that is read and written back keeps
// every line it had, byte for byte and in its place, with its own line ends and byte-order mark;
// only the value of a key that is set changes, and keys and groups that were missing are added.
// A file that cannot be kept that way (not UTF-8, binary, a carriage return that does not end a
// line) is not read at all.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halvora {

class SettingsFile {
public:
    // nullopt for bytes that could not be written back unchanged; with or without the
    // byte-order mark, CRLF or LF are fine.
    static std::optional<SettingsFile> parse(const std::string& bytes);
    std::string serialize() const;

    // The value trimmed of blanks and tabs, or nullopt when the key is missing. Group and key
    // names are compared without regard to letter case, as the platform's INI functions do; a
    // group that appears twice is read as one.
    std::optional<std::wstring> value(const std::wstring& group, const std::wstring& key) const;
    // Every key of the group with its trimmed value, in file order; nullopt when the group is
    // missing.
    std::optional<std::vector<std::pair<std::wstring, std::wstring>>> entries(const std::wstring& group) const;
    // Replaces the value, or adds the key after the last line of its group (adding the group at
    // the end).
    void set(const std::wstring& group, const std::wstring& key, const std::wstring& value);

private:
    enum class LineKind { Other, Group, Key };
    struct Line {
        std::string text;    // the line's bytes without its end
        std::string ending;  // "\r\n", "\n", or "" for a last line without one
        LineKind kind = LineKind::Other;
        std::wstring name;        // Group: its name; Key: the key, trimmed
        std::size_t valueAt = 0;  // Key: where the value starts in `text`, just after "="
    };
    static Line classify(std::string text, std::string ending);
    // Where a new line of `group` goes: after its last line that is not blank; npos when the
    // file has no such group.
    std::size_t insertionPoint(const std::wstring& group) const;
    void insertLine(std::size_t at, std::string text);

    bool byteOrderMark_ = true;
    std::string newLine_ = "\r\n";
    std::vector<Line> lines_;
};

}  // namespace halvora
