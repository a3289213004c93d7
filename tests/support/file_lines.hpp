#pragma once
// A file's lines as it holds them, each with its own end ("\n" or "\r\n"; none for a last line
// without one), for checks that a file written back kept what it had.

#include <string>
#include <vector>

namespace halvora::testing {

inline std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(at, next - at));
        at = next;
    }
    return lines;
}

}  // namespace halvora::testing
