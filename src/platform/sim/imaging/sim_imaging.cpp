#include "platform/sim/imaging/sim_imaging.hpp"

#include "platform/sim/machine/sim_text.hpp"

#include <cwchar>
#include <system_error>

#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/imaging/sim_apply_target.hpp"
#include "platform/sim/imaging/sim_image_apply.hpp"
#include "platform/sim/imaging/sim_wim_file.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kWimOpenedExisting = 1;  // WIM_OPENED_EXISTING

std::wstring number(std::uint64_t value) { return std::to_wstring(value); }

}  // namespace

SimImaging::SimImaging(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)), logs_(machine_) {}

SimImaging::~SimImaging() = default;

bool SimImaging::libraryPresent() {
    // Loaded on first use and kept, as the process keeps a loaded DLL.
    std::call_once(probed_, [this] {
        const auto host = machine_->hostPath(machine_->description().systemDirectory + L"\\wimgapi.dll");
        std::error_code ec;
        present_ = host && fs::is_regular_file(*host, ec);
    });
    return present_;
}

bool SimImaging::finish(const std::wstring& operation, std::uint32_t error) {
    {
        std::lock_guard lock(mutex_);
        lastErrors_[std::this_thread::get_id()] = error;
    }
    logs_.write(operation + (error == 0 ? L" ok" : L" error " + number(error)));
    return error == 0;
}

std::optional<SimImaging::Handle> SimImaging::find(WimHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    if (it == handles_.end()) return std::nullopt;
    return it->second;
}

std::uint32_t SimImaging::lastError() {
    std::lock_guard lock(mutex_);
    const auto it = lastErrors_.find(std::this_thread::get_id());
    return it == lastErrors_.end() ? 0 : it->second;
}

WimHandle SimImaging::createFile(const std::wstring& path, std::uint32_t access, std::uint32_t disposition,
                                 std::uint32_t flags, std::uint32_t, std::uint32_t* creationResult) {
    machine_->record(L"WIMCreateFile " + path + L" " + hexText(access) + L" " + number(disposition) + L" " +
                     hexText(flags));
    const std::wstring operation = L"WIMCreateFile " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMCreateFile")) return finish(operation, fault), 0;
    if (!libraryPresent()) return finish(operation, kErrorModNotFound), 0;
    // Only reading an existing image is simulated; writing new ones is not something the
    // program does.
    if (access != kWimGenericRead || disposition != kWimOpenExisting) {
        return finish(operation, kErrorInvalidParameter), 0;
    }
    const auto parsed = parseWindowsPath(machine_->fullPath(path));
    if (!parsed) return finish(operation, kErrorInvalidName), 0;
    const auto host = machine_->hostPath(path);
    if (!host) return finish(operation, kErrorPathNotFound), 0;  // no such drive
    std::uint32_t error = 0;
    auto file = WimFile::open(*host, machine_->fullPath(path), flags, machine_->openFiles().open(*host), error);
    if (!file) return finish(operation, error), 0;
    WimHandle handle;
    {
        std::lock_guard lock(mutex_);
        handle = nextHandle_;
        nextHandle_ += 4;
        handles_[handle] = Handle{std::move(file), 0, path};
    }
    if (creationResult) *creationResult = kWimOpenedExisting;
    finish(operation, 0);
    return handle;
}

bool SimImaging::closeHandle(WimHandle handle) {
    machine_->record(L"WIMCloseHandle");
    const std::wstring operation = L"WIMCloseHandle " + hexText(static_cast<std::uint32_t>(handle));
    if (const std::uint32_t fault = machine_->enterCall("WIMCloseHandle")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    std::shared_ptr<WimFile> released;  // freed outside the lock
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(handle);
        if (it != handles_.end()) {
            // An image handle shares its file's WIM, so the file stays open while either is.
            released = std::move(it->second.file);
            handles_.erase(it);
            std::erase_if(callbacks_, [handle](const Callback& c) { return c.handle == handle; });
        }
    }
    return finish(operation, released ? 0 : kErrorInvalidHandle);
}

bool SimImaging::getImageInformation(WimHandle handle, std::u16string& information) {
    machine_->record(L"WIMGetImageInformation");
    const std::wstring operation = L"WIMGetImageInformation";
    if (const std::uint32_t fault = machine_->enterCall("WIMGetImageInformation")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    const auto entry = find(handle);
    if (!entry) return finish(operation, kErrorInvalidHandle);
    std::uint32_t error = 0;
    std::u16string document;
    if (!entry->file->xml(document, error)) return finish(operation, error);
    // An image handle describes its own image only.
    if (entry->image != 0) {
        document = imageElement(document, entry->image);
        if (document.empty()) return finish(operation, kErrorInvalidData);
    }
    information = std::move(document);
    return finish(operation, 0);
}

bool SimImaging::getAttributes(WimHandle handle, void* info, std::uint32_t size) {
    machine_->record(L"WIMGetAttributes " + number(size));
    const std::wstring operation = L"WIMGetAttributes " + number(size);
    if (const std::uint32_t fault = machine_->enterCall("WIMGetAttributes")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    const auto entry = find(handle);
    if (!entry) return finish(operation, kErrorInvalidHandle);
    if (!info || size < kWimInfoSize) return finish(operation, kErrorInsufficientBuffer);
    entry->file->fillInfo(static_cast<unsigned char*>(info));
    return finish(operation, 0);
}

bool SimImaging::setReferenceFile(WimHandle handle, const std::wstring& path, std::uint32_t flags) {
    machine_->record(L"WIMSetReferenceFile " + path + L" " + hexText(flags));
    const std::wstring operation = L"WIMSetReferenceFile " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMSetReferenceFile")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    const auto entry = find(handle);
    if (!entry || entry->image != 0) return finish(operation, kErrorInvalidHandle);
    if (!parseWindowsPath(machine_->fullPath(path))) return finish(operation, kErrorInvalidName);
    const auto host = machine_->hostPath(path);
    std::error_code ec;
    if (!host || !fs::is_directory(host->parent_path(), ec)) return finish(operation, kErrorPathNotFound);
    if (!fs::exists(*host, ec)) return finish(operation, kErrorFileNotFound);
    if (fs::is_directory(*host, ec)) return finish(operation, kErrorAccessDenied);
    entry->file->addReference(*host, machine_->openFiles().open(*host), (flags & kWimReferenceAppend) != 0);
    return finish(operation, 0);
}

bool SimImaging::setTemporaryPath(WimHandle handle, const std::wstring& path) {
    machine_->record(L"WIMSetTemporaryPath " + path);
    const std::wstring operation = L"WIMSetTemporaryPath " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMSetTemporaryPath")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    if (!find(handle)) return finish(operation, kErrorInvalidHandle);
    // A drive root "X:" names the drive's folder, so one check covers both.
    const auto host = machine_->hostPath(path);
    std::error_code ec;
    if (!host || !fs::is_directory(*host, ec)) return finish(operation, kErrorPathNotFound);
    return finish(operation, 0);
}

WimHandle SimImaging::loadImage(WimHandle handle, std::uint32_t index) {
    machine_->record(L"WIMLoadImage " + number(index));
    const std::wstring operation = L"WIMLoadImage " + number(index);
    if (const std::uint32_t fault = machine_->enterCall("WIMLoadImage")) return finish(operation, fault), 0;
    if (!libraryPresent()) return finish(operation, kErrorModNotFound), 0;
    const auto entry = find(handle);
    if (!entry || entry->image != 0) return finish(operation, kErrorInvalidHandle), 0;
    const std::uint32_t count = entry->file->imageCount();
    // Image numbers are 1-based; wimgapi refuses 0 and numbers past the count as a bad
    // parameter.
    if (index == 0 || index > count) return finish(operation, kErrorInvalidParameter), 0;
    WimHandle image;
    {
        std::lock_guard lock(mutex_);
        image = nextHandle_;
        nextHandle_ += 4;
        handles_[image] = Handle{entry->file, index, entry->windowsPath, handle};
    }
    finish(operation, 0);
    return image;
}

bool SimImaging::applyImage(WimHandle image, const std::wstring& path, std::uint32_t flags) {
    machine_->record(L"WIMApplyImage " + path + L" " + hexText(flags));
    const std::wstring operation = L"WIMApplyImage " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMApplyImage")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    const auto entry = find(image);
    if (!entry) return finish(operation, kErrorInvalidHandle);
    // A file handle holds no loaded image.
    if (entry->image == 0) return finish(operation, kErrorInvalidParameter);
    ApplyTarget target;
    if (const std::uint32_t error = resolveApplyTarget(machine_, path, target)) return finish(operation, error);
    // Compact and WIMBoot change how Windows stores the files, not which files there are: the
    // host folder gets the plain files, and the flags stay in the call log. wimlib checks every
    // file's data against its SHA-1 whether or not Verify is given.
    const WimHandle file = entry->fileHandle;
    bool firstProgress = true;
    const ApplyNotify send = [this, image, file, &firstProgress](std::uint32_t message, std::uintptr_t wParam,
                                                                 std::intptr_t lParam) {
        const std::uint32_t answer = notify(image, file, message, wParam, lParam);
        // A test's gate: after the first progress message has been answered, so that the
        // program has shown that the apply runs. The answer still counts after the release.
        if (message == kWimMsgProgress && firstProgress) {
            firstProgress = false;
            machine_->applyHold().pass();
        }
        return answer;
    };
    const std::uint32_t result = applyWimImage(*entry->file, entry->image, target, send);
    if (result == 0) machine_->applyEndHold().pass();
    return finish(operation, result);
}

std::uint32_t SimImaging::notify(WimHandle image, WimHandle file, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    // Called without the lock, so that a callback may use the library itself.
    std::vector<WimMessageCallback> receivers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& c : callbacks_) {
            if (c.handle == 0 || c.handle == image || c.handle == file) receivers.push_back(c.callback);
        }
    }
    std::uint32_t answer = kWimMsgSuccess;
    for (const auto& receiver : receivers) {
        if (receiver(message, wParam, lParam) == kWimMsgAbortImage) answer = kWimMsgAbortImage;
    }
    return answer;
}

std::uint32_t SimImaging::registerMessageCallback(WimHandle handle, WimMessageCallback callback) {
    machine_->record(L"WIMRegisterMessageCallback " + hexText(static_cast<std::uint32_t>(handle)));
    const std::wstring operation = L"WIMRegisterMessageCallback";
    if (const std::uint32_t fault = machine_->enterCall("WIMRegisterMessageCallback"))
        return finish(operation, fault), kWimInvalidCallback;
    if (!libraryPresent()) return finish(operation, kErrorModNotFound), kWimInvalidCallback;
    if (!callback) return finish(operation, kErrorInvalidParameter), kWimInvalidCallback;
    if (handle != 0 && !find(handle)) return finish(operation, kErrorInvalidHandle), kWimInvalidCallback;
    std::uint32_t index = 0;
    {
        std::lock_guard lock(mutex_);
        for (const auto& c : callbacks_) index += c.handle == handle ? 1 : 0;
        callbacks_.push_back(Callback{handle, std::move(callback)});
    }
    finish(operation, 0);
    return index;
}

bool SimImaging::unregisterMessageCallback(WimHandle handle) {
    machine_->record(L"WIMUnregisterMessageCallback " + hexText(static_cast<std::uint32_t>(handle)));
    const std::wstring operation = L"WIMUnregisterMessageCallback";
    if (const std::uint32_t fault = machine_->enterCall("WIMUnregisterMessageCallback"))
        return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    if (handle != 0 && !find(handle)) return finish(operation, kErrorInvalidHandle);
    {
        std::lock_guard lock(mutex_);
        if (handle == 0) {
            callbacks_.clear();
        } else {
            std::erase_if(callbacks_, [handle](const Callback& c) { return c.handle == handle; });
        }
    }
    return finish(operation, 0);
}

bool SimImaging::registerLogFile(const std::wstring& path, std::uint32_t flags) {
    machine_->record(L"WIMRegisterLogFile " + path + L" " + number(flags));
    const std::wstring operation = L"WIMRegisterLogFile " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMRegisterLogFile")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    return finish(operation, logs_.add(path));
}

bool SimImaging::unregisterLogFile(const std::wstring& path) {
    machine_->record(L"WIMUnregisterLogFile " + path);
    const std::wstring operation = L"WIMUnregisterLogFile " + path;
    if (const std::uint32_t fault = machine_->enterCall("WIMUnregisterLogFile")) return finish(operation, fault);
    if (!libraryPresent()) return finish(operation, kErrorModNotFound);
    // A path that was never registered is a bad parameter.
    const bool registered = logs_.remove(path);
    return finish(operation, registered ? 0 : kErrorInvalidParameter);
}

}  // namespace halvora::sim
