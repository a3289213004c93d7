#include "ui/settings_session.hpp"

#include <algorithm>

#include "base/text.hpp"

namespace halvora {

namespace {

// A settings file this large is not ours: it is left alone and the defaults stay in force.
constexpr std::size_t kMaxSettingsBytes = 16u * 1024u * 1024u;

int countCommas(const std::wstring& s) { return static_cast<int>(std::count(s.begin(), s.end(), L',')); }

}  // namespace

SettingsSession::SettingsSession(System& system, std::wstring path) : system_(system), path_(std::move(path)) {
    // Start-up opens the file several times; a file too large to be ours is told by its size
    // alone, so it is never read at all. The read size is checked again, as the file may have
    // grown in between.
    const std::int64_t size = system_.fileSize(path_);
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxSettingsBytes) return;
    std::string bytes;
    if (system_.readFile(path_, bytes) && bytes.size() <= kMaxSettingsBytes) {
        // A file that could not be written back unchanged is left alone: the defaults apply.
        if (auto parsed = SettingsFile::parse(bytes)) {
            file_ = std::move(*parsed);
            open_ = true;
        }
    }
}

std::optional<std::wstring> SettingsSession::peek(const std::wstring& key) const {
    if (!open_) return std::nullopt;
    return file_.value(group_, key);
}

int SettingsSession::readIntKey(const std::wstring& key, int defaultValue) {
    if (!open_) return defaultValue;
    if (auto stored = file_.value(group_, key)) {
        return static_cast<int>(std::clamp(parseLeadingInteger(*stored), -2147483647LL - 1, 2147483647LL));
    }
    writeInt(key, defaultValue);
    return defaultValue;
}

std::wstring SettingsSession::readTextKey(const std::wstring& key, const std::wstring& defaultValue) {
    if (!open_) return defaultValue;
    if (auto stored = file_.value(group_, key)) return *stored;
    file_.set(group_, key, defaultValue);
    changed_ = true;
    return defaultValue;
}

std::int32_t SettingsSession::readColourKey(const std::wstring& key, const std::wstring& defaultText) {
    const std::wstring fallback = countCommas(defaultText) == 2 ? defaultText : L"-1";
    if (!open_) return parseColour(fallback, fallback);
    auto stored = file_.value(group_, key);
    if (!stored) {
        file_.set(group_, key, fallback);
        changed_ = true;
        return parseColour(fallback, fallback);
    }
    return parseColour(*stored, fallback);
}

void SettingsSession::writeInt(const std::wstring& key, int value) {
    if (!open_) return;
    file_.set(group_, key, std::to_wstring(value));
    changed_ = true;
}

bool SettingsSession::close() {
    if (!open_ || !changed_) return open_;
    changed_ = false;
    return system_.writeFile(path_, file_.serialize());
}

std::wstring colourText(std::int32_t colour) {
    if (colour == -1) return L"-1";
    return std::to_wstring(colour & 0xFF) + L", " + std::to_wstring((colour >> 8) & 0xFF) + L", " +
           std::to_wstring((colour >> 16) & 0xFF);
}

std::int32_t parseColour(const std::wstring& text, const std::wstring& fallback) {
    const std::wstring chosen = countCommas(text) == 2 ? text : fallback;
    if (trimBlanksAndTabs(chosen) == L"-1") return -1;
    const auto fields = split(chosen, L',');
    if (fields.size() != 3) return -1;
    const auto channel = [](const std::wstring& field) {
        return static_cast<std::int32_t>(parseLeadingInteger(field) & 0xFF);
    };
    return channel(fields[0]) + 256 * channel(fields[1]) + 65536 * channel(fields[2]);
}

}  // namespace halvora
