#pragma once
// What a host folder holds, for tests that check nothing was written where it must not be:
// every file below it with its content, and every folder (as "<folder>"), by relative path.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace halvora::testing {

inline std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_directory()) {
            found[name] = "<folder>";
        } else if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            found[name] = bytes.str();
        }
    }
    return found;
}

}  // namespace halvora::testing
