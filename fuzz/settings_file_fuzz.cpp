// The settings file, read and written back as start-up does: every key the program reads and
// finds missing is added. Not only "no crash": every line the file had must be in the written
// file, byte for byte and in the same order, and reading the written file again must give the
// values that were set.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_lines.hpp"
#include "ui/settings_file.hpp"

using halvora::testing::linesOf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    const std::string original(reinterpret_cast<const char*>(data), size);
    auto file = SettingsFile::parse(original);
    if (!file) return 0;  // refused: the program leaves such a file alone

    const std::vector<std::pair<std::wstring, std::wstring>> keys = {{L"HLV_XSET", L"Version"},
                                                                     {L"HLV_XSET", L"ScanDepth"},
                                                                     {L"DefineFontSize", L"맑은 고딕"},
                                                                     {L"HLV_COLOR", L"LabelTitleColorF"},
                                                                     {L"SearchDirExclusionList", L"Windows"}};
    std::vector<std::pair<std::size_t, std::wstring>> added;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!file->value(keys[i].first, keys[i].second)) {
            file->set(keys[i].first, keys[i].second, std::to_wstring(i));
            added.emplace_back(i, std::to_wstring(i));
        }
    }
    const std::string written = file->serialize();

    // The byte-order mark stays as it was (an empty file is written as a new one, with it).
    const std::string mark = "\xEF\xBB\xBF";
    const bool marked = original.rfind(mark, 0) == 0;
    if ((marked || original.empty()) != (written.rfind(mark, 0) == 0)) __builtin_trap();
    const std::size_t skip = marked ? mark.size() : 0;

    // Each of the user's lines in order; a last line without an end may have been given one.
    const auto after = linesOf(written.substr(written.rfind(mark, 0) == 0 ? mark.size() : 0));
    std::size_t next = 0;
    for (const std::string& line : linesOf(original.substr(skip))) {
        const bool ended = line.back() == '\n';
        while (next < after.size() &&
               !(after[next] == line || (!ended && (after[next] == line + "\n" || after[next] == line + "\r\n")))) {
            ++next;
        }
        if (next == after.size()) __builtin_trap();  // a line of the user's was lost or changed
        ++next;
    }
    const auto again = SettingsFile::parse(written);
    if (!again) __builtin_trap();
    for (const auto& [index, value] : added) {
        if (again->value(keys[index].first, keys[index].second) != value) __builtin_trap();
    }
    return 0;
}
