#pragma once
// The disc images attached on a simulated machine. Each one is unpacked into a folder of its
// own under a host temporary folder that the machine owns, and is a CD-ROM device of the
// machine until it is detached; what is still attached when the machine is destroyed goes with
// the temporary folder. An attached image is held open until it is detached. Shared by all
// program runs on the machine; thread-safe.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sim/disks/sim_devices.hpp"
#include "platform/sim/files/sim_file_attributes.hpp"
#include "platform/sim/files/sim_open_files.hpp"

namespace halvora::sim {

class SimAttachedDiscs {
public:
    SimAttachedDiscs(SimDevices& devices, SimFileAttributes& attributes, OpenFiles& openFiles);
    ~SimAttachedDiscs();
    SimAttachedDiscs(const SimAttachedDiscs&) = delete;
    SimAttachedDiscs& operator=(const SimAttachedDiscs&) = delete;

    // The CD-ROM number N (\Device\CdRomN) of the attached image at host path `image`.
    std::optional<std::uint32_t> deviceNumber(const std::filesystem::path& image) const;
    // Unpacks `image` and makes it a CD-ROM, with a drive letter when `withLetter`. Returns 0 or
    // a Windows error: 32 (ERROR_SHARING_VIOLATION) when it is attached already, or the
    // unpacking's error (see sim_iso_unpack.hpp).
    std::uint32_t attach(const std::filesystem::path& image, bool withLetter);
    // Removes the CD-ROM, its names and its files. Returns 0, or 55 (ERROR_DEV_NOT_EXIST) when
    // the image is not attached.
    std::uint32_t detach(const std::filesystem::path& image);

private:
    struct Attachment {
        std::uint32_t number = 0;
        std::filesystem::path folder;
        OpenFiles::Hold image;
    };

    static std::string keyOf(const std::filesystem::path& image);
    std::filesystem::path makeFolder(std::uint32_t& error);

    SimDevices& devices_;
    SimFileAttributes& attributes_;
    OpenFiles& openFiles_;
    mutable std::mutex mutex_;
    std::filesystem::path root_;  // made on the first attach
    std::uint64_t folders_ = 0;
    std::map<std::string, Attachment> attached_;  // by the image's canonical host path
};

}  // namespace halvora::sim
