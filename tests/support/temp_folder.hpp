#pragma once
// A folder of the host's temporary folder for one test or benchmark, removed with everything in
// it when the object goes.

#include <filesystem>
#include <string>

namespace halvora::testing {

class TempFolder {
public:
    // "halvora-sim" gives /tmp/halvora-sim-XXXXXX (under the host's temporary folder).
    explicit TempFolder(const std::string& prefix = "halvora-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path path(const std::string& relative) const { return root_ / relative; }
    // Writes the bytes to the relative path, making the folders on the way.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;
    // The whole file, or "" when it cannot be read.
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path root_;
};

}  // namespace halvora::testing
