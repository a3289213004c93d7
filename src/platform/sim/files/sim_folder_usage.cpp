#include "platform/sim/files/sim_folder_usage.hpp"

#include <system_error>

namespace halvora::sim {

namespace fs = std::filesystem;

std::uint64_t folderUsage(const std::filesystem::path& folder) {
    std::error_code ec;
    std::uint64_t total = 0;
    std::filesystem::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        // A link takes no room of its own, and where it leads is counted where that lies (or,
        // off the machine's folders, not at all).
        std::error_code sizeError;
        if (fs::is_regular_file(it->symlink_status(sizeError))) {
            const auto size = it->file_size(sizeError);
            if (!sizeError) total += size;
        }
    }
    return total;
}

}  // namespace halvora::sim
