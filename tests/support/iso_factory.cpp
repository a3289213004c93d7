#include "iso_factory.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace halvora::testing {

namespace fs = std::filesystem;

std::string makeIso(const fs::path& folder, const fs::path& iso, const IsoOptions& options) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "makeIso: " + folder.string() + " is no folder";
    std::vector<std::string> words = {"xorriso", "-as", "mkisofs", "-quiet", "-V", options.label};
    if (options.joliet) words.push_back("-J");
    if (options.rockRidge) words.push_back("-R");
    words.insert(words.end(), {"-o", iso.string(), folder.string()});
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // xorriso's messages go to a file beside the image, read back when it fails.
    const std::string log = iso.string() + ".log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "xorriso", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        fs::remove(log, ec);
        return "makeIso: cannot start xorriso (" + std::to_string(spawned) + ")";
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    std::ostringstream messages;
    messages << std::ifstream(log).rdbuf();
    fs::remove(log, ec);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !fs::is_regular_file(iso, ec)) {
        return "makeIso: xorriso failed for " + iso.string() + ": " + messages.str();
    }
    return "";
}

}  // namespace halvora::testing
