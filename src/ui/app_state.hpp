#pragma once
// The one process-wide record. Fields written by workers are atomic; everything else belongs
// to the interface thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ui/colours.hpp"

namespace halvora {

// What happens after an installation; also the entries of the after-install list.
enum AfterAction : int { kAfterShutdown = 0, kAfterReboot = 1, kAfterFinish = 2, kAfterReady = 3 };

// An ISO this program attached: the file as the user gave it and its disk's NT device name.
struct IsoSlot {
    std::wstring IsoPath;
    std::wstring DevicePath;
};

// A text that a worker writes and the interface thread reads.
class SharedText {
public:
    void set(std::wstring text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    std::wstring get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::wstring text_;
};

struct AppState {
    std::wstring SystemRoot;
    std::wstring SystemDrive;
    std::wstring ImagingLogPath;
    std::wstring SettingsPath;
    std::wstring TitleText;
    std::wstring FontName = L"Consolas";
    int FontSize = -11;

    bool BcdbootSupported = false;
    bool IsoSupported = false;
    bool EsdSupported = false;
    bool CompactSupported = false;

    std::atomic<bool> Busy{false};
    std::atomic<bool> CancelRequested{false};
    bool BootRepairMode = false;
    int AfterAction = kAfterReady;
    std::atomic<std::int32_t> ExitCode{0};
    // The file the imaging library named with its error during the apply, for the error box;
    // empty when it named none.
    SharedText ApplyErrorPath;

    bool MainWindowCreated = false;
    // Read by the apply worker, which closes a cancel question still open when the apply ends.
    std::atomic<bool> MessageBoxOpen{false};
    bool TaskbarProgress = false;

    // The three workers; at most one runs at a time.
    std::atomic<bool> ApplyWorkerAlive{false};
    std::atomic<bool> BootWorkerAlive{false};
    std::atomic<bool> SearchWorkerAlive{false};

    // The image being applied: written before the apply worker starts, closed after it ended.
    std::atomic<std::uint64_t> ImageFileHandle{0};
    std::atomic<std::uint64_t> ImageHandle{0};
    std::int64_t ApplyStartTime = 0;  // seconds; the elapsed time once the apply has ended

    // The installation summary, one line each; emptied when an apply has succeeded.
    std::wstring CompletionLine;
    std::wstring BootLine;
    std::wstring OemLine;
    std::wstring XmlLine;

    // The two ISOs attached at most at a time.
    std::array<IsoSlot, 2> IsoSlots;

    // Install-file search: the stop flag and whether the first search was started.
    std::atomic<bool> SearchStopRequested{false};
    bool SearchStarted = false;
    std::vector<std::wstring> ExclusionList;
    // The result row that shows the check mark (-1: none). Written by the search worker at its
    // end and by the interface thread only while no search runs.
    std::atomic<int> SearchMarkedRow{-1};
    // Where the result list keeps its icons in its image list; empty until first needed.
    std::vector<int> SearchListIcons;

    ColourTable Colours = defaultColours();

    // Where each drive list keeps the six drive icons in its image list (-1: not loaded).
    std::map<std::string, std::array<int, 6>> DriveListIcons;

    bool anyWorkerAlive() const {
        return ApplyWorkerAlive.load() || BootWorkerAlive.load() || SearchWorkerAlive.load();
    }
};

}  // namespace halvora
