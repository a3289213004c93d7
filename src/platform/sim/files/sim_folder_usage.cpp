#include "platform/sim/files/sim_folder_usage.hpp"

#include <system_error>

namespace halvora::sim {

std::uint64_t folderUsage(const std::filesystem::path& folder) {
    std::error_code ec;
    std::uint64_t total = 0;
    std::filesystem::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const auto size = it->file_size(sizeError);
            if (!sizeError) total += size;
        }
    }
    return total;
}

}  // namespace halvora::sim
