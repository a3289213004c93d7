#include "ui/settings_file.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"

namespace halvora {

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

bool isBlankLine(const std::wstring& line) { return trimBlanksAndTabs(line).empty(); }

}  // namespace

SettingsFile SettingsFile::parse(const std::string& bytes) {
    std::string body = bytes;
    if (body.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) body.erase(0, kByteOrderMark.size());
    SettingsFile file;
    Group* current = nullptr;
    for (std::wstring line : split(fromUtf8(body), L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const std::wstring trimmed = trimBlanksAndTabs(line);
        if (trimmed.size() >= 2 && trimmed.front() == L'[' && trimmed.back() == L']') {
            const std::wstring name = trimmed.substr(1, trimmed.size() - 2);
            current = file.findGroup(name);
            if (current == nullptr) {
                file.groups_.push_back(Group{name, {}});
                current = &file.groups_.back();
            }
            continue;
        }
        if (isBlankLine(line)) continue;  // the empty lines between groups are written anew
        if (current == nullptr) {
            file.preamble_.push_back(line);
            continue;
        }
        const std::size_t eq = line.find(L'=');
        const std::wstring key = eq == std::wstring::npos ? L"" : trimBlanksAndTabs(line.substr(0, eq));
        if (key.empty() || trimmed.front() == L';') {
            current->lines.push_back(Line{L"", line});
        } else {
            current->lines.push_back(Line{key, line.substr(eq + 1)});
        }
    }
    return file;
}

std::string SettingsFile::serialize() const {
    std::wstring text;
    for (const auto& line : preamble_) text += line + L"\r\n";
    for (const auto& group : groups_) {
        text += L"[" + group.name + L"]\r\n";
        for (const auto& line : group.lines) {
            text += line.key.empty() ? line.value : line.key + L"=" + line.value;
            text += L"\r\n";
        }
        text += L"\r\n";
    }
    return kByteOrderMark + toUtf8(text);
}

SettingsFile::Group* SettingsFile::findGroup(const std::wstring& name) {
    for (auto& group : groups_) {
        if (equalsIgnoreCase(group.name, name)) return &group;
    }
    return nullptr;
}

const SettingsFile::Group* SettingsFile::findGroup(const std::wstring& name) const {
    return const_cast<SettingsFile*>(this)->findGroup(name);
}

std::optional<std::wstring> SettingsFile::value(const std::wstring& group, const std::wstring& key) const {
    const Group* g = findGroup(group);
    if (g == nullptr) return std::nullopt;
    for (const auto& line : g->lines) {
        if (!line.key.empty() && equalsIgnoreCase(line.key, key)) return trimBlanksAndTabs(line.value);
    }
    return std::nullopt;
}

std::optional<std::vector<std::pair<std::wstring, std::wstring>>> SettingsFile::entries(
    const std::wstring& group) const {
    const Group* g = findGroup(group);
    if (g == nullptr) return std::nullopt;
    std::vector<std::pair<std::wstring, std::wstring>> found;
    for (const auto& line : g->lines) {
        if (!line.key.empty()) found.emplace_back(line.key, trimBlanksAndTabs(line.value));
    }
    return found;
}

void SettingsFile::set(const std::wstring& group, const std::wstring& key, const std::wstring& value) {
    Group* g = findGroup(group);
    if (g == nullptr) {
        groups_.push_back(Group{group, {}});
        g = &groups_.back();
    }
    for (auto& line : g->lines) {
        if (!line.key.empty() && equalsIgnoreCase(line.key, key)) {
            line.value = value;
            return;
        }
    }
    g->lines.push_back(Line{key, value});
}

}  // namespace halvora
