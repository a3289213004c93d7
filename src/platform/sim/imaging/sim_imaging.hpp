#pragma once
// wimgapi.dll on the simulated machine, answered with wimlib. The library is there only when
// the machine has <systemDirectory>\wimgapi.dll; without it every call fails with 126. Each call
// is written to the machine's call log as its name and arguments (flags in hex), for example
// "WIMCreateFile D:\sources\install.wim 0x80000000 3 0x20000002", and to each registered log
// file as its name, its argument and "ok" or "error N". The apply is sim_image_apply's; its
// messages go to the callbacks on the applying thread.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/imaging.hpp"
#include "platform/sim/imaging/sim_imaging_log.hpp"
#include "platform/sim/machine/sim_machine.hpp"

namespace halvora::sim {

class WimFile;

class SimImaging final : public ImagingLibrary {
public:
    explicit SimImaging(std::shared_ptr<SimMachine> machine);
    ~SimImaging() override;

    std::uint32_t lastError() override;
    WimHandle createFile(const std::wstring& path, std::uint32_t access, std::uint32_t disposition, std::uint32_t flags,
                         std::uint32_t compression, std::uint32_t* creationResult) override;
    bool closeHandle(WimHandle handle) override;
    bool getImageInformation(WimHandle handle, std::u16string& information) override;
    bool getAttributes(WimHandle handle, void* info, std::uint32_t size) override;
    bool setReferenceFile(WimHandle handle, const std::wstring& path, std::uint32_t flags) override;
    bool setTemporaryPath(WimHandle handle, const std::wstring& path) override;
    WimHandle loadImage(WimHandle handle, std::uint32_t index) override;
    bool applyImage(WimHandle image, const std::wstring& path, std::uint32_t flags) override;
    std::uint32_t registerMessageCallback(WimHandle handle, WimMessageCallback callback) override;
    bool unregisterMessageCallback(WimHandle handle) override;
    bool registerLogFile(const std::wstring& path, std::uint32_t flags) override;
    bool unregisterLogFile(const std::wstring& path) override;

private:
    // A file handle holds its WIM; an image handle holds the WIM of the file it was loaded from,
    // that file's handle and its 1-based index (0 for a file handle).
    struct Handle {
        std::shared_ptr<WimFile> file;
        std::uint32_t image = 0;
        std::wstring windowsPath;
        WimHandle fileHandle = 0;
    };
    struct Callback {
        WimHandle handle;
        WimMessageCallback callback;
    };

    bool libraryPresent();
    // Sets this thread's last error, writes the log line and gives back `ok`.
    bool finish(const std::wstring& operation, std::uint32_t error);
    std::optional<Handle> find(WimHandle handle);
    // Calls every callback registered for all handles, for `image` or for `file`, in the order
    // they were registered; kWimMsgAbortImage when any of them answered it.
    std::uint32_t notify(WimHandle image, WimHandle file, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);

    std::shared_ptr<SimMachine> machine_;
    ImagingLogFiles logs_;
    std::once_flag probed_;
    bool present_ = false;

    std::mutex mutex_;  // the tables below; each WIM file has its own lock for wimlib
    std::map<WimHandle, Handle> handles_;
    WimHandle nextHandle_ = 0x1000;
    std::vector<Callback> callbacks_;
    std::map<std::thread::id, std::uint32_t> lastErrors_;
};

}  // namespace halvora::sim
