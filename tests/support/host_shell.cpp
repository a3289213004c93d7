#include "host_shell.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace halvora::testing {

namespace {
const std::string kEnvironment = "MTOOLS_SKIP_CHECK=1 ";
}

int runShell(const std::string& command) { return std::system((kEnvironment + command + " >/dev/null 2>&1").c_str()); }

std::string shellOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((kEnvironment + command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
    return out;
}

}  // namespace halvora::testing
