#include "temp_folder.hpp"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace halvora::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& prefix) {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) root_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
}

fs::path TempFolder::write(const std::string& relative, const std::string& bytes) const {
    const fs::path file = root_ / relative;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

std::string TempFolder::read(const std::string& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace halvora::testing
