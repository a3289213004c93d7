#include "ui/settings_file.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"

namespace halvora {

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// Bytes a text file of settings never holds: control characters other than the tab and the
// line ends. A file with any of them is not one this program can rewrite.
bool isForeignByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F; }

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

SettingsFile::Line SettingsFile::classify(std::string text, std::string ending) {
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const std::wstring trimmed = trimBlanksAndTabs(fromUtf8(line.text));
    if (trimmed.size() >= 2 && trimmed.front() == L'[' && trimmed.back() == L']') {
        line.kind = LineKind::Group;
        line.name = trimmed.substr(1, trimmed.size() - 2);
        return line;
    }
    const std::size_t eq = line.text.find('=');
    if (eq == std::string::npos || trimmed.empty() || trimmed.front() == L';') return line;
    const std::wstring key = trimBlanksAndTabs(fromUtf8(line.text.substr(0, eq)));
    if (key.empty()) return line;
    line.kind = LineKind::Key;
    line.name = key;
    line.valueAt = eq + 1;
    return line;
}

std::optional<SettingsFile> SettingsFile::parse(const std::string& bytes) {
    SettingsFile file;
    std::size_t at = 0;
    const bool marked = bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
    if (marked) at = kByteOrderMark.size();
    file.byteOrderMark_ = marked || bytes.empty();  // an empty file is written as a new one
    if (!isValidUtf8(bytes.substr(at))) return std::nullopt;
    bool endingChosen = false;
    while (at < bytes.size()) {
        std::size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            if (isForeignByte(static_cast<unsigned char>(bytes[end]))) return std::nullopt;
            ++end;
        }
        std::string ending;
        if (end < bytes.size() && bytes[end] == '\r') {
            // A carriage return alone is a line end to some readers and not to others.
            if (end + 1 >= bytes.size() || bytes[end + 1] != '\n') return std::nullopt;
            ending = "\r\n";
        } else if (end < bytes.size()) {
            ending = "\n";
        }
        if (!endingChosen && !ending.empty()) {
            file.newLine_ = ending;  // lines added later end as the file's first line does
            endingChosen = true;
        }
        file.lines_.push_back(classify(bytes.substr(at, end - at), ending));
        at = end + ending.size();
    }
    return file;
}

std::string SettingsFile::serialize() const {
    std::string bytes = byteOrderMark_ ? kByteOrderMark : "";
    for (const Line& line : lines_) bytes += line.text + line.ending;
    return bytes;
}

std::optional<std::wstring> SettingsFile::value(const std::wstring& group, const std::wstring& key) const {
    bool inside = false;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Group) inside = equalsIgnoreCase(line.name, group);
        if (inside && line.kind == LineKind::Key && equalsIgnoreCase(line.name, key)) {
            return trimBlanksAndTabs(fromUtf8(line.text.substr(line.valueAt)));
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::pair<std::wstring, std::wstring>>> SettingsFile::entries(
    const std::wstring& group) const {
    bool found = false;
    bool inside = false;
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Group) {
            inside = equalsIgnoreCase(line.name, group);
            found = found || inside;
        }
        if (inside && line.kind == LineKind::Key) {
            keys.emplace_back(line.name, trimBlanksAndTabs(fromUtf8(line.text.substr(line.valueAt))));
        }
    }
    if (!found) return std::nullopt;
    return keys;
}

std::size_t SettingsFile::insertionPoint(const std::wstring& group) const {
    std::size_t point = std::string::npos;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Group) {
            inside = equalsIgnoreCase(line.name, group);
            if (inside) point = i + 1;
        } else if (inside && !isBlank(line.text)) {
            point = i + 1;
        }
    }
    return point;
}

void SettingsFile::insertLine(std::size_t at, std::string text) {
    // The line before gets an end of its own first, when it was the file's last and had none.
    if (at > 0 && lines_[at - 1].ending.empty()) lines_[at - 1].ending = newLine_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), classify(std::move(text), newLine_));
}

void SettingsFile::set(const std::wstring& group, const std::wstring& key, const std::wstring& value) {
    bool inside = false;
    for (Line& line : lines_) {
        if (line.kind == LineKind::Group) inside = equalsIgnoreCase(line.name, group);
        if (inside && line.kind == LineKind::Key && equalsIgnoreCase(line.name, key)) {
            line.text = line.text.substr(0, line.valueAt) + toUtf8(value);
            return;
        }
    }
    const std::string entry = toUtf8(key + L"=" + value);
    const std::size_t point = insertionPoint(group);
    if (point != std::string::npos) {
        insertLine(point, entry);
        return;
    }
    // A new group goes at the end, after an empty line, and is followed by one.
    if (!lines_.empty() && !isBlank(lines_.back().text)) insertLine(lines_.size(), "");
    insertLine(lines_.size(), toUtf8(L"[" + group + L"]"));
    insertLine(lines_.size(), entry);
    insertLine(lines_.size(), "");
}

}  // namespace halvora
