#pragma once
// VirtDisk.dll on a simulated machine: ISO files attached as CD-ROM drives (see
// sim_attached_discs.hpp and docs/simulated-machine.md, "Virtual disks"). Each call goes to the
// machine's call log with its arguments and result.

#include <map>
#include <memory>
#include <mutex>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/virtual_disks.hpp"

namespace halvora::sim {

// Whether the machine has VirtDisk.dll: a non-empty <systemDirectory>\VirtDisk.dll on its drives
// (the file the program looks for at start) and no "virtDisk": false in its description.
bool virtualDiskLibraryPresent(const SimMachine& machine);

class SimVirtualDisks final : public VirtualDiskLibrary {
public:
    explicit SimVirtualDisks(std::shared_ptr<SimMachine> machine);
    // Closes the handles still open, as FreeLibrary's caller would have had to.
    ~SimVirtualDisks() override;
    SimVirtualDisks(const SimVirtualDisks&) = delete;
    SimVirtualDisks& operator=(const SimVirtualDisks&) = delete;

    std::uint32_t openVirtualDisk(const VirtualStorageType& type, const std::wstring& path, std::uint32_t accessMask,
                                  std::uint32_t flags, const OpenVirtualDiskParameters& parameters,
                                  VirtualDiskHandle& handle) override;
    std::uint32_t attachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags, std::uint32_t providerFlags,
                                    const AttachVirtualDiskParameters& parameters) override;
    std::uint32_t detachVirtualDisk(VirtualDiskHandle handle, std::uint32_t flags,
                                    std::uint32_t providerFlags) override;
    std::uint32_t getPhysicalPath(VirtualDiskHandle handle, std::wstring& path) override;
    void closeHandle(VirtualDiskHandle handle) override;

private:
    struct OpenDisk {
        std::wstring path;           // as the program gave it
        std::filesystem::path host;  // the image file on the host
        std::uint32_t access = 0;
        bool ownsAttachment = false;  // attached without a permanent lifetime
        OpenFiles::Hold image;        // the image file is open until CloseHandle
    };

    std::uint32_t logged(const std::wstring& call, std::uint32_t error);
    void close(const OpenDisk& disk);

    std::shared_ptr<SimMachine> machine_;
    std::mutex mutex_;
    std::map<VirtualDiskHandle, OpenDisk> handles_;
    VirtualDiskHandle nextHandle_ = 0x2D0;
};

}  // namespace halvora::sim
