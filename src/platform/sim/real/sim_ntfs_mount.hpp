#pragma once
// An NTFS volume of a real disk made reachable as a host folder: ntfs-3g mounts it over FUSE in
// a private folder of the run. The daemon is the run's child and goes with it; the mount goes
// when this object does.

#include <filesystem>
#include <memory>
#include <string>

namespace halvora::sim {

class NtfsMount {
public:
    // Nullptr with `error` when ntfs-3g cannot mount `device` at `folder` (an empty folder).
    static std::unique_ptr<NtfsMount> mount(const std::string& device, const std::filesystem::path& folder,
                                            std::string& error);
    ~NtfsMount();
    NtfsMount(const NtfsMount&) = delete;
    NtfsMount& operator=(const NtfsMount&) = delete;

private:
    NtfsMount(int pid, std::filesystem::path folder) : pid_(pid), folder_(std::move(folder)) {}
    int pid_;
    std::filesystem::path folder_;
};

// Whether something is mounted at exactly `folder`.
bool isMountPoint(const std::filesystem::path& folder);

}  // namespace halvora::sim
