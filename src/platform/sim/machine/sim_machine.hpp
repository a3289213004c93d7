#pragma once
// The simulated computer. Its description says what it is; beside that it keeps what every
// program run on it shares: named mutexes, the top-level windows of all runs, drives that come
// and go, and a log of the platform calls that tests look at. Two runs in one test play the
// first and the second instance of the program.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/disks/sim_attached_discs.hpp"
#include "platform/sim/disks/sim_devices.hpp"
#include "platform/sim/files/sim_file_attributes.hpp"
#include "platform/sim/files/sim_listing_gate.hpp"
#include "platform/sim/files/sim_open_files.hpp"
#include "platform/sim/imaging/sim_apply_hold.hpp"
#include "platform/sim/machine/sim_machine_description.hpp"
#include "platform/sim/machine/sim_platform_calls.hpp"
#include "platform/sim/toolkit/sim_event_queue.hpp"

namespace halvora::sim {

class RealDisks;

class SimMachine {
public:
    explicit SimMachine(MachineDescription description);
    ~SimMachine();

    // Nullptr with `error` set for a missing file, bad JSON or a field of the wrong shape.
    // Relative drive folders are relative to the description file's folder.
    static std::shared_ptr<SimMachine> load(const std::string& jsonPath, std::string& error);
    static std::shared_ptr<SimMachine> fromJson(const nlohmann::json& json, std::string& error);

    const MachineDescription& description() const { return description_; }

    // --- real disks -------------------------------------------------------------------------
    // A FAT volume of a real disk is a mirror (real/sim_fat_mirror.hpp): this writes back what
    // changed on all of them. False with `error` for the first that failed.
    bool flushRealDisks(std::string& error);
    // Writes back, unmounts and detaches every real disk; the machine's drives on them are gone.
    void closeRealDisks();

    // --- drives -----------------------------------------------------------------------------
    // Every drive letter, whether a plain folder, a partition, a CD-ROM or another drive, maps
    // a path to the folder of the device the letter currently links to.
    // A path the program passes may be relative to its current folder, which starts as the
    // folder of its own file (as Explorer starts a program) and moves where an open-file
    // dialog without OFN_NOCHANGEDIR takes it; fullPath makes a path whole as
    // GetFullPathNameW does ("E:" alone is that folder when it lies on E:), and every lookup
    // below does so first.
    std::wstring fullPath(const std::wstring& path) const;
    std::wstring currentFolder() const;                 // "D:\Halvora", or "C:" for a root
    void setCurrentFolder(const std::wstring& folder);  // SetCurrentDirectoryW
    std::optional<std::filesystem::path> hostPath(const std::wstring& path) const;
    bool isReadOnly(const std::wstring& path) const;  // under one of the read-only paths
    void addDrive(wchar_t letter, const std::filesystem::path& folder);
    void removeDrive(wchar_t letter);
    DriveFolders drives() const;
    // The devices and the DOS-device name space.
    SimDevices& devices() { return devices_; }
    const SimDevices& devices() const { return devices_; }
    // Formats the partition behind `letter`: its folder is emptied, its file system ("" keeps
    // it) and label set. False when the letter is no partition.
    bool formatVolume(wchar_t letter, const std::wstring& fileSystem, const std::wstring& label);
    // The attributes of the files on every drive.
    SimFileAttributes& fileAttributes() { return fileAttributes_; }
    const SimFileAttributes& fileAttributes() const { return fileAttributes_; }
    // The disc images attached as CD-ROMs (VirtDisk.dll); their files go with the machine.
    SimAttachedDiscs& attachedDiscs() { return attachedDiscs_; }
    // The files held open (the imaging library's WIMs, VirtDisk.dll's disc images), which no
    // one may replace, write or delete meanwhile (see sim_open_files.hpp).
    OpenFiles& openFiles() { return openFiles_; }
    const OpenFiles& openFiles() const { return openFiles_; }

    // Holds folder listings where a test asks (see sim_listing_gate.hpp).
    ListingGate& listingGate() { return listingGate_; }

    // --- named mutexes ----------------------------------------------------------------------
    // Opens the named mutex; true when it existed already (ERROR_ALREADY_EXISTS).
    bool openMutex(const std::wstring& name);
    void closeMutex(const std::wstring& name);
    bool mutexExists(const std::wstring& name) const;

    // --- top-level windows of every run -----------------------------------------------------
    std::uint64_t registerWindow(std::shared_ptr<SimEventQueue> queue, const std::string& name,
                                 const std::wstring& title);
    void setWindowTitle(std::uint64_t id, const std::wstring& title);
    void unregisterWindow(std::uint64_t id);
    std::uint64_t findWindow(const std::wstring& title) const;  // 0: none has the title
    std::vector<std::wstring> windowTitles() const;
    // WM_COPYDATA to the window, handled on its interface thread; 0 when the window is gone,
    // its thread has ended or the handler did not run within the copy-data timeout.
    std::intptr_t sendCopyData(std::uint64_t window, const void* data, std::uint32_t size);
    void setCopyDataTimeout(std::chrono::milliseconds timeout);

    // --- the image apply, held for a test ----------------------------------------------------
    // While on, every WIMApplyImage stops right after its first progress message (the program
    // has shown it) until releaseApply(); off lets a held apply go. A cancel answered while
    // it is held takes effect at the next message, as it would on a slow disk.
    void holdApplies(bool on) { applyHold_.setHolding(on); }
    void releaseApply() { applyHold_.release(); }
    bool waitApplyHeld(std::chrono::milliseconds timeout) { return applyHold_.waitHeld(timeout); }
    ApplyHold& applyHold() { return applyHold_; }
    // A second gate at the end: an apply that succeeded stops after its last message (100 %)
    // and before WIMApplyImage returns, where no callback will see a cancel any more.
    ApplyHold& applyEndHold() { return applyEndHold_; }

    // --- virtual time -----------------------------------------------------------------------
    // Milliseconds since the machine started, moved only by waits: the scripted user letting
    // time pass (timers) and the program waiting with its window answering. Things the machine
    // does later by itself (an ISO's late drive letter) happen as the clock passes their time.
    std::uint64_t virtualNow() const;
    void advanceVirtualTime(std::uint64_t to);  // never backwards; runs what falls due, in order
    void atVirtualTime(std::uint64_t due, std::function<void()> action);

    // --- platform calls, counted and failed ----------------------------------------------------
    // Every boundary operation starts here with the Windows function it stands for: the call is
    // counted, and the error it must fail with is returned when the description fails it (else 0).
    std::uint32_t enterCall(std::string_view windowsFunction) { return platformCalls_.enter(windowsFunction); }
    std::map<std::string, std::uint64_t> callCounts() const { return platformCalls_.counts(); }

    // --- call log ---------------------------------------------------------------------------
    void record(const std::wstring& call);
    std::vector<std::wstring> calls() const;
    void clearCalls();

private:
    // The description's real disks opened: partitions read, volumes reachable.
    static std::shared_ptr<SimMachine> withRealDisks(MachineDescription description, std::string& error);

    struct Window {
        std::weak_ptr<SimEventQueue> queue;
        std::string name;
        std::wstring title;
    };

    // First, so that it goes last: every other part may still name folders on the real disks.
    std::unique_ptr<RealDisks> realDisks_;
    const MachineDescription description_;

    SimDevices devices_;
    SimFileAttributes fileAttributes_;
    OpenFiles openFiles_;
    SimAttachedDiscs attachedDiscs_;
    ApplyHold applyHold_;
    ApplyHold applyEndHold_;
    ListingGate listingGate_;
    PlatformCalls platformCalls_;
    mutable std::mutex mutex_;
    std::wstring currentFolder_;
    std::uint64_t virtualNow_ = 0;
    std::multimap<std::uint64_t, std::function<void()>> timedActions_;
    std::map<std::wstring, int> mutexes_;  // name -> open handles
    std::map<std::uint64_t, Window> windows_;
    std::uint64_t nextWindowId_ = 0x10010;
    std::chrono::milliseconds copyDataTimeout_{5000};  // as the program's SendMessageTimeoutW
    std::vector<std::wstring> calls_;
};

}  // namespace halvora::sim
