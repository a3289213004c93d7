#include "platform/sim/real/sim_host_command.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace halvora::sim {

namespace {

// Everything the child needs is made before fork(): after it only async-signal-safe calls run,
// since other threads of the sim may hold locks the child would inherit.
struct ExecPlan {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::vector<char*> argv;
    std::vector<char*> envp;

    ExecPlan(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment)
        : program(findHostProgram(args.empty() ? std::string() : args[0])), arguments(args) {
        for (char** e = environ; e && *e; ++e) environment.emplace_back(*e);
        for (const auto& e : extraEnvironment) environment.push_back(e);
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
    }
};

[[noreturn]] void execInChild(ExecPlan& plan, int outputFd, pid_t parent) {
    // A FUSE daemon or formatter must not outlive the run that started it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (outputFd >= 0) {
        dup2(outputFd, STDOUT_FILENO);
        dup2(outputFd, STDERR_FILENO);
    }
    // The child gets the default handling of every signal, whatever the runner blocked.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(plan.program.c_str(), plan.argv.data(), plan.envp.data());
    _exit(127);
}

}  // namespace

std::string findHostProgram(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const auto candidate = std::filesystem::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    // Root's tools live in the sbin folders, which a user's PATH may leave out.
    for (const char* folderName : {"/usr/sbin", "/sbin"}) {
        const auto candidate = std::filesystem::path(folderName) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

HostRun runHostProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    HostRun run;
    ExecPlan plan(argv, environment);
    if (plan.program.empty()) {
        run.output = (argv.empty() ? std::string("(nothing)") : argv[0]) + ": not found";
        return run;
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return run;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return run;
    }
    if (pid == 0) execInChild(plan, pipeFds[1], parent);
    close(pipeFds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            run.output.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

namespace {

// The kernel sends a child its parent-death signal when the THREAD that forked it ends, not the
// process. Daemons are therefore forked by one thread that lives as long as the process, so an
// apply worker that remounts a volume and then ends does not take the mount with it.
class DaemonLauncher {
public:
    static DaemonLauncher& instance() {
        static auto* launcher = new DaemonLauncher();  // never destroyed: its thread runs to the end
        return *launcher;
    }

    int start(ExecPlan& plan) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return request_ == nullptr; });
        request_ = &plan;
        pid_ = 0;
        ready_.notify_all();
        ready_.wait(lock, [this] { return pid_ != 0; });
        const int pid = pid_;
        request_ = nullptr;
        ready_.notify_all();
        return pid;
    }

private:
    DaemonLauncher() {
        std::thread([this] { run(); }).detach();
    }

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return request_ != nullptr && pid_ == 0; });
            const pid_t parent = getpid();
            const pid_t pid = fork();
            if (pid == 0) {
                const int devNull = open("/dev/null", O_WRONLY);
                execInChild(*request_, devNull, parent);
            }
            pid_ = pid < 0 ? -1 : pid;
            ready_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    ExecPlan* request_ = nullptr;
    int pid_ = 0;
};

}  // namespace

int startHostProgram(const std::vector<std::string>& argv) {
    ExecPlan plan(argv, {});
    if (plan.program.empty()) return -1;
    return DaemonLauncher::instance().start(plan);
}

bool stopHostProgram(int pid, int milliseconds) {
    if (pid <= 0) return true;
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace halvora::sim
