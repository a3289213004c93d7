#include "platform/sim/programs/sim_host_temp_file.hpp"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

namespace halvora::sim {

std::optional<HostTempFile> HostTempFile::create(const std::string& bytes) {
    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec);
    if (ec) return std::nullopt;
    std::string name = (folder / "halvora-sim-XXXXXX").string();
    // mkstemp only claims a name no one else has; the stream writes it.
    const int fd = mkstemp(name.data());
    if (fd < 0) return std::nullopt;
    ::close(fd);
    HostTempFile file{std::filesystem::path(name)};  // removes it on every way out from here
    std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return std::nullopt;
    return file;
}

HostTempFile::~HostTempFile() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

HostTempFile::HostTempFile(HostTempFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}

HostTempFile& HostTempFile::operator=(HostTempFile&& other) noexcept {
    if (this != &other) {
        HostTempFile gone(std::move(*this));
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

std::optional<std::string> HostTempFile::read() const {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
}

}  // namespace halvora::sim
