#include "platform/sim/real/sim_ntfs_mount.hpp"

#include <sys/mount.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/sim/real/sim_host_command.hpp"

namespace halvora::sim {

namespace {

constexpr auto kMountWait = std::chrono::seconds(20);

// mountinfo escapes blanks and backslashes in paths as octal: "\040".
std::string unescapeMountPath(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool childEnded(int pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

bool isMountPoint(const std::filesystem::path& folder) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (fields >> id >> parent >> device >> root >> point && unescapeMountPath(point) == folder.string()) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<NtfsMount> NtfsMount::mount(const std::string& device, const std::filesystem::path& folder,
                                            std::string& error) {
    // windows_names: names Windows cannot have are refused, as they would be on Windows.
    const int pid = startHostProgram({"ntfs-3g", "-o", "no_detach,windows_names", device, folder.string()});
    if (pid < 0) {
        error = "cannot start ntfs-3g (is the ntfs-3g package installed?)";
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + kMountWait;
    while (!isMountPoint(folder)) {
        if (childEnded(pid)) {
            error = "ntfs-3g could not mount " + device + " (is it a clean NTFS volume?)";
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            stopHostProgram(pid, 5000);
            error = "ntfs-3g did not mount " + device + " in time";
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::unique_ptr<NtfsMount>(new NtfsMount(pid, folder));
}

NtfsMount::~NtfsMount() {
    // ntfs-3g unmounts when told to end; if it cannot (a file still open), the mount is taken
    // away lazily so that the folder can go.
    umount2(folder_.c_str(), 0);
    if (!stopHostProgram(pid_, 10000) || isMountPoint(folder_)) {
        umount2(folder_.c_str(), MNT_DETACH);
        stopHostProgram(pid_, 5000);
    }
}

}  // namespace halvora::sim
