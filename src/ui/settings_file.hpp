#pragma once
// The settings file's format: UTF-8 with a byte-order mark, CRLF line ends, "[Group]" lines,
// "key=value" entries without blanks around "=", and an empty line after each group. Groups
// and keys keep the order in which they were found or added, so a file written back lists
// everything in the same places; lines this program does not understand are kept as they were.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halvora {

class SettingsFile {
public:
    // Reads any reasonable variant: with or without the byte-order mark, CRLF or LF.
    static SettingsFile parse(const std::string& bytes);
    std::string serialize() const;

    // The value trimmed of blanks and tabs, or nullopt when the key is missing. Group and key
    // names are compared without regard to letter case, as the platform's INI functions do.
    std::optional<std::wstring> value(const std::wstring& group, const std::wstring& key) const;
    // Every key of the group with its trimmed value, in file order; nullopt when the group is
    // missing.
    std::optional<std::vector<std::pair<std::wstring, std::wstring>>> entries(const std::wstring& group) const;
    // Replaces the value, or adds the key at the end of its group (adding the group at the end).
    void set(const std::wstring& group, const std::wstring& key, const std::wstring& value);

private:
    struct Line {
        std::wstring key;    // empty for a line kept as it was (comment or garbage)
        std::wstring value;  // the value, or the whole line when `key` is empty
    };
    struct Group {
        std::wstring name;
        std::vector<Line> lines;
    };
    Group* findGroup(const std::wstring& name);
    const Group* findGroup(const std::wstring& name) const;

    std::vector<std::wstring> preamble_;  // lines before the first group
    std::vector<Group> groups_;
};

}  // namespace halvora
