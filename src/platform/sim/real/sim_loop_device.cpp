#include "platform/sim/real/sim_loop_device.hpp"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

namespace halvora::sim {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<LoopDevice> LoopDevice::attach(const std::filesystem::path& backing, std::uint64_t offset,
                                               std::uint64_t size, std::string& error) {
    Fd file(open(backing.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0) {
        error = systemError("cannot open " + backing.string());
        return nullptr;
    }
    Fd control(open("/dev/loop-control", O_RDWR | O_CLOEXEC));
    if (control.get() < 0) {
        error = systemError("cannot open /dev/loop-control (loop devices need root)");
        return nullptr;
    }
    // Another program may take the free device between the two calls: then ask again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int number = ioctl(control.get(), LOOP_CTL_GET_FREE);
        if (number < 0) {
            error = systemError("no free loop device");
            return nullptr;
        }
        const std::string path = "/dev/loop" + std::to_string(number);
        Fd loop(open(path.c_str(), O_RDWR | O_CLOEXEC));
        if (loop.get() < 0) {
            error = systemError("cannot open " + path);
            return nullptr;
        }
        loop_config config{};
        config.fd = static_cast<std::uint32_t>(file.get());
        config.info.lo_offset = offset;
        config.info.lo_sizelimit = size;
        config.info.lo_flags = LO_FLAGS_AUTOCLEAR;
        std::strncpy(reinterpret_cast<char*>(config.info.lo_file_name), backing.c_str(), LO_NAME_SIZE - 1);
        if (ioctl(loop.get(), LOOP_CONFIGURE, &config) == 0) {
            return std::unique_ptr<LoopDevice>(new LoopDevice(loop.release(), path));
        }
        if (errno != EBUSY) {
            error = systemError("cannot attach " + backing.string() + " to " + path);
            return nullptr;
        }
    }
    error = "every free loop device was taken before it could be used";
    return nullptr;
}

bool LoopDevice::flush() { return fsync(fd_) == 0; }

LoopDevice::~LoopDevice() {
    flush();
    // With auto-clear, this detaches once the last other user (a FUSE daemon) has let go.
    ioctl(fd_, LOOP_CLR_FD, 0);
    close(fd_);
}

std::vector<std::string> loopDevicesOver(const std::filesystem::path& file) {
    std::vector<std::string> found;
    struct stat target {};
    if (stat(file.c_str(), &target) != 0) return found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("loop", 0) != 0) continue;
        // The loop driver's record of its backing file, compared as a file (device and inode,
        // or the device number of a block device) so that another spelling of the path is found.
        std::ifstream deviceText(entry.path() / "loop" / "backing_file");
        std::string backing;
        if (!std::getline(deviceText, backing)) continue;
        struct stat st {};
        if (stat(backing.c_str(), &st) != 0) continue;
        const bool same = S_ISBLK(target.st_mode) ? S_ISBLK(st.st_mode) && st.st_rdev == target.st_rdev
                                                  : st.st_dev == target.st_dev && st.st_ino == target.st_ino;
        if (same) {
            found.push_back("/dev/" + name);
        }
    }
    return found;
}

}  // namespace halvora::sim
