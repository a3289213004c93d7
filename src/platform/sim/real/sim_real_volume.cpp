#include "platform/sim/real/sim_real_volume.hpp"

#include <sys/statvfs.h>

#include "base/utf.hpp"
#include "platform/sim/real/sim_host_command.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

bool isFat(const std::wstring& fileSystem) { return fileSystem == L"FAT32" || fileSystem == L"FAT"; }

}  // namespace

std::unique_ptr<RealVolume> RealVolume::open(const fs::path& disk, const RealPartition& partition,
                                             const fs::path& folder, std::string& error) {
    auto loop = LoopDevice::attach(disk, partition.offset, partition.size, error);
    if (!loop) return nullptr;
    std::unique_ptr<RealVolume> volume(new RealVolume(std::move(loop), folder, partition.offset, partition.fileSystem));
    std::lock_guard lock(volume->mutex_);
    if (!volume->bringOnline(error)) return nullptr;
    return volume;
}

RealVolume::~RealVolume() { close(); }

bool RealVolume::isNtfs() const {
    std::lock_guard lock(mutex_);
    return fileSystem_ == L"NTFS";
}

bool RealVolume::bringOnline(std::string& error) {
    if (fileSystem_ != L"NTFS" && !isFat(fileSystem_)) return true;  // no files to reach
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        error = "cannot make " + folder_.string() + ": " + ec.message();
        return false;
    }
    if (fileSystem_ == L"NTFS") {
        mount_ = NtfsMount::mount(loop_->path(), folder_, error);
        if (!mount_) return false;
    } else {
        mirror_ = FatMirror::open(loop_->path(), folder_, error);
        if (!mirror_) return false;
    }
    lastFree_ = freeBytesLocked();
    return true;
}

void RealVolume::takeDown() {
    lastFree_ = freeBytesLocked();
    mount_.reset();
    mirror_.reset();
    loop_->flush();
}

std::uint64_t RealVolume::freeBytesLocked() const {
    if (mirror_) return mirror_->freeBytes();
    if (mount_) {
        struct statvfs st {};
        if (statvfs(folder_.c_str(), &st) == 0) {
            lastFree_ = static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
        }
    }
    return lastFree_;
}

std::uint64_t RealVolume::freeBytes() const {
    std::lock_guard lock(mutex_);
    return freeBytesLocked();
}

RealVolume::Offline::~Offline() {
    std::lock_guard lock(volume_.mutex_);
    std::string error;
    if (!volume_.closed_) volume_.bringOnline(error);
}

std::unique_ptr<RealVolume::Offline> RealVolume::takeOffline(std::string& error) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        error = "the volume is closed";
        return nullptr;
    }
    if (mirror_ && !mirror_->writeBack(error)) return nullptr;
    takeDown();
    return std::make_unique<Offline>(*this);
}

bool RealVolume::format(const std::wstring& fileSystem, const std::wstring& label, std::string& error) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        error = "the volume is closed";
        return false;
    }
    takeDown();
    const std::string sectors = std::to_string(offset_ / 512);
    HostRun run;
    if (fileSystem == L"NTFS") {
        // The partition's place and a common geometry go in the boot sector, where Windows'
        // boot code looks; mkntfs cannot learn them from a loop device.
        run = runHostProgram({"mkntfs", "--quick", "--force", "--partition-start", sectors, "--heads", "255",
                              "--sectors-per-track", "63", "--label", toUtf8(label), loop_->path()});
    } else if (isFat(fileSystem)) {
        std::vector<std::string> argv{"mkfs.fat", "-F", "32", "-h", sectors};
        if (!label.empty()) argv.insert(argv.end(), {"-n", toUtf8(label)});
        argv.push_back(loop_->path());
        run = runHostProgram(argv);
    } else {
        error = "cannot format as " + toUtf8(fileSystem);
        bringOnline(error);
        return false;
    }
    if (run.exitCode != 0) {
        error = "formatting " + loop_->path() + " failed: " + run.output;
        std::string ignored;
        bringOnline(ignored);
        return false;
    }
    fileSystem_ = fileSystem == L"NTFS" ? L"NTFS" : L"FAT32";
    // What the folder still holds is the old mirror's copy; never anything of a mount that
    // would not go.
    std::error_code ec;
    if (!isMountPoint(folder_)) {
        for (const auto& entry : fs::directory_iterator(folder_, ec)) fs::remove_all(entry.path(), ec);
    }
    return bringOnline(error);
}

bool RealVolume::flush(std::string& error) {
    std::lock_guard lock(mutex_);
    if (mirror_ && !mirror_->writeBack(error)) return false;
    if (!loop_->flush()) {
        error = "cannot write through to " + loop_->path();
        return false;
    }
    return true;
}

void RealVolume::close(bool writeBack) {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    std::string ignored;
    if (mirror_ && writeBack) mirror_->writeBack(ignored);
    takeDown();
    // A FAT mirror's folder holds a copy, which goes; a mount's folder is empty once unmounted,
    // and is never emptied while something is still mounted there.
    std::error_code ec;
    if (!isMountPoint(folder_)) fs::remove_all(folder_, ec);
}

}  // namespace halvora::sim
