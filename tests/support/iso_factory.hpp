#pragma once
// ISO 9660 disc images made with xorriso while the tests run, so that no binary image is kept
// in the repository.

#include <filesystem>
#include <string>

namespace halvora::testing {

struct IsoOptions {
    std::string label = "HALVORA_TEST";  // the volume identifier (-V)
    bool joliet = true;                  // Joliet names beside the ISO 9660 ones (-J)
    bool rockRidge = true;               // Rock Ridge names (-R)
};

// Writes `iso` holding what `folder` holds, with `xorriso -as mkisofs`. Returns "" on success or
// a message naming what failed, with xorriso's own words.
std::string makeIso(const std::filesystem::path& folder, const std::filesystem::path& iso,
                    const IsoOptions& options = {});

}  // namespace halvora::testing
