#include "platform/sim/sim_volume_space.hpp"

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

std::uint64_t freeBytes(const DeviceInfo& device) {
    if (device.kind == DeviceKind::CdRom || device.folder.empty()) return 0;
    const std::uint64_t used = folderUsage(device.folder);
    return used >= device.size ? 0 : device.size - used;
}

}  // namespace halvora::sim
