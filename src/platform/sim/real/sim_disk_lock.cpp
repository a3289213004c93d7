#include "platform/sim/real/sim_disk_lock.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace halvora::sim {

std::unique_ptr<DiskLock> DiskLock::take(const std::filesystem::path& disk, std::string& error) {
    const int fd = open(disk.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = disk.string() + " cannot be opened for writing: " + std::strerror(errno);
        return nullptr;
    }
    // An open-file-description lock belongs to this descriptor, not to the process, so closing
    // another descriptor of the same file (a loop device's backing file, mtools) leaves it held;
    // it conflicts with the record locks other programs take as well.
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;  // to the end, however large
    if (fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        const int why = errno;
        close(fd);
        error = why == EAGAIN || why == EACCES
                    ? disk.string() + " is in use: another program (a virtual machine?) holds a lock on it"
                    : disk.string() + " cannot be locked: " + std::strerror(why);
        return nullptr;
    }
    return std::unique_ptr<DiskLock>(new DiskLock(fd));
}

DiskLock::~DiskLock() { close(fd_); }

}  // namespace halvora::sim
