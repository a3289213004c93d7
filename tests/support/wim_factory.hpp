#pragma once
// Real WIM, split SWM and ESD files made with wimlib while the tests run, so that no binary
// image is kept in the repository. Every function reports failure as a message ("" is success).

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace halvora::testing {

// One image: wimlib property paths and values, e.g. {"NAME","Windows 10 Pro"},
// {"DESCRIPTION",...}, {"DISPLAYNAME",...}, {"DISPLAYDESCRIPTION",...}, {"WINDOWS/ARCH","9"},
// {"WINDOWS/PRODUCTNAME",...}, {"WINDOWS/VERSION/MAJOR","10"}, {"WINDOWS/VERSION/MINOR","0"},
// {"WINDOWS/VERSION/BUILD","19041"}, {"WINDOWS/VERSION/SPBUILD","1"},
// {"WINDOWS/LANGUAGES/DEFAULT","ko-KR"}, {"WIMBOOT","1"}, {"FLAGS","Professional"}.
// An empty value means: leave that element out.
struct ImagePlan {
    std::vector<std::pair<std::string, std::string>> properties;
    std::vector<std::pair<std::string, std::string>> files;  // relative path ("Windows/System32/a.txt") -> content
};

enum class WimCompression { None, Xpress, Lzx, Solid /* LZMS solid resources, as in an ESD */ };

struct WimPlan {
    std::vector<ImagePlan> images;
    WimCompression compression = WimCompression::Lzx;
    bool integrityTable = false;
    int bootIndex = 0;
};

// Writes `file`; returns "" on success or a message naming what failed.
std::string writeWim(const std::filesystem::path& file, const WimPlan& plan);

// Splits `wim` into parts: first part `firstPart` (e.g. .../install.swm), then install2.swm, ...
// with parts of at most `partBytes`; returns "" or a message. The content must be large enough
// to give at least two parts (big, poorly compressible files: see pseudoRandomText).
std::string splitWim(const std::filesystem::path& wim, const std::filesystem::path& firstPart, std::uint64_t partBytes);

// Changes one byte inside the file's resource data (after the 208-byte header, before the
// XML/lookup table), so that a WIM written with an integrity table no longer matches it.
std::string corruptResourceData(const std::filesystem::path& wim);

// `count` images as a real Windows install.wim/install.esd describes them (editions Home,
// Education, Pro, ...), each image's XML about the size a real image carries; small files.
std::vector<ImagePlan> realisticWindowsImages(int count);

// `bytes` of printable text that no compressor shrinks much, the same for the same seed.
std::string pseudoRandomText(std::size_t bytes, std::uint32_t seed);

}  // namespace halvora::testing
