#pragma once
// A file in the host's temporary folder that is removed when the object goes: where a library
// that works on files (hivex) gets bytes the sim keeps in memory.

#include <filesystem>
#include <optional>
#include <string>

namespace halvora::sim {

class HostTempFile {
public:
    // A new file holding `bytes`; nullopt when it cannot be made or written.
    static std::optional<HostTempFile> create(const std::string& bytes);
    ~HostTempFile();
    HostTempFile(HostTempFile&& other) noexcept;
    HostTempFile& operator=(HostTempFile&& other) noexcept;
    HostTempFile(const HostTempFile&) = delete;
    HostTempFile& operator=(const HostTempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The file's whole content; nullopt when it cannot be read.
    std::optional<std::string> read() const;

private:
    explicit HostTempFile(std::filesystem::path path) : path_(std::move(path)) {}

    std::filesystem::path path_;  // empty once moved from
};

}  // namespace halvora::sim
