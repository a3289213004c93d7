#pragma once
// What a host folder holds, as the simulated machine counts a volume's used space.

#include <cstdint>
#include <filesystem>

namespace halvora::sim {

// The bytes of every regular file in `folder`, all the way down; each hard link counts as a file
// of its own, as a volume's free space falls with every file written. Symbolic links count
// nothing and are not followed.
std::uint64_t folderUsage(const std::filesystem::path& folder);

}  // namespace halvora::sim
