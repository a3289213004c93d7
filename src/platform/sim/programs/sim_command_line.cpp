#include "platform/sim/programs/sim_command_line.hpp"

namespace halvora::sim {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> splitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> words;
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) return words;

    // The program's name: no escapes, quotes only group.
    std::wstring program;
    if (line[i] == L'"') {
        const std::size_t close = line.find(L'"', i + 1);
        program = line.substr(i + 1, close == std::wstring::npos ? std::wstring::npos : close - i - 1);
        i = close == std::wstring::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !isBlank(line[i])) program.push_back(line[i++]);
    words.push_back(program);

    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) break;
        std::wstring word;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == L'\\') {
                std::size_t slashes = 0;
                while (i < line.size() && line[i] == L'\\') ++slashes, ++i;
                if (i < line.size() && line[i] == L'"') {
                    word.append(slashes / 2, L'\\');
                    if (slashes % 2 == 1) {
                        word.push_back(L'"');
                        ++i;
                    }
                } else {
                    word.append(slashes, L'\\');
                }
            } else if (line[i] == L'"') {
                // A doubled quote inside quotes is a literal quote.
                if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    word.push_back(L'"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                word.push_back(line[i++]);
            }
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace halvora::sim
