#pragma once
// hivex's own command-line tools (libhivex-bin), run on a hive file: a reader apart from the
// library calls the code under test makes, so a test sees what any hivex user would see.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace halvora::testing {

struct HiveToolRun {
    int status = -1;     // the tool's exit status; -1 when it did not end normally
    std::string output;  // what it printed on standard output
};

// Runs `command` (a shell command line) and collects its standard output.
inline HiveToolRun runHiveTool(const std::string& command) {
    struct Close {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    HiveToolRun run;
    std::unique_ptr<FILE, Close> pipe(popen(command.c_str(), "r"));
    if (!pipe) return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) run.output.append(buffer, n);
    const int raw = pclose(pipe.release());  // its status is the tool's
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// hivexsh on `hive`, read-only, with `commands` (one a line) on its standard input.
inline HiveToolRun hivexsh(const std::filesystem::path& hive, const std::string& commands) {
    return runHiveTool("printf '%s' '" + commands + "' | hivexsh '" + hive.string() + "' 2>&1");
}

// hivexget's value `name` of `key` ("\\Description"), as it prints it.
inline HiveToolRun hivexget(const std::filesystem::path& hive, const std::string& key, const std::string& name) {
    return runHiveTool("hivexget '" + hive.string() + "' '" + key + "' '" + name + "' 2>&1");
}

}  // namespace halvora::testing
