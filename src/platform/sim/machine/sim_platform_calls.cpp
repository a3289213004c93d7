#include "platform/sim/machine/sim_platform_calls.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <utility>

#include "platform/sim/machine/sim_json.hpp"

namespace halvora::sim {

namespace {

struct KnownCall {
    std::string_view name;
    bool failable;
};

// The Windows functions behind the operations of System, the imaging library, the volumes, the
// version and virtual-disk libraries. A boundary operation made of several calls on Windows is
// counted by the one whose failure the program sees (readFile by ReadFile, which the call log
// names too). Sorted by name.
constexpr std::array kKnownCalls = {
    KnownCall{"AdjustTokenPrivileges", false},  // its result is not reported to the program
    KnownCall{"AttachVirtualDisk", true},
    KnownCall{"CloseHandle", false},  // closing a virtual disk: nothing to report
    KnownCall{"CommandLineToArgvW", true},
    KnownCall{"CopyFileW", true},
    KnownCall{"CreateDirectoryW", true},
    KnownCall{"CreateFileW", true},  // opening a volume
    KnownCall{"CreateMutexW", true},
    KnownCall{"CreateProcessW", true},
    KnownCall{"CreateThread", true},
    KnownCall{"DefineDosDeviceW", true},
    KnownCall{"DeleteFileW", true},
    KnownCall{"DetachVirtualDisk", true},
    KnownCall{"DeviceIoControl", true},
    KnownCall{"FindFirstFileW", true},
    KnownCall{"FindWindowW", true},
    KnownCall{"GetCurrentDirectoryW", true},
    KnownCall{"GetDateFormatW", true},
    KnownCall{"GetDiskFreeSpaceExW", true},
    KnownCall{"GetDriveTypeW", true},
    KnownCall{"GetEnvironmentVariableW", true},
    KnownCall{"GetFileAttributesExW", true},  // a file's size
    KnownCall{"GetFileAttributesW", true},
    KnownCall{"GetFileVersionInfoSizeW", true},
    KnownCall{"GetFileVersionInfoW", true},
    KnownCall{"GetLogicalDriveStringsW", true},
    KnownCall{"GetLogicalDrives", true},
    KnownCall{"GetModuleFileNameW", true},
    KnownCall{"GetSystemDirectoryW", true},
    KnownCall{"GetSystemTimeAsFileTime", false},  // cannot fail
    KnownCall{"GetTempPathW", true},
    KnownCall{"GetTimeFormatW", true},
    KnownCall{"GetUserDefaultLocaleName", true},
    KnownCall{"GetVirtualDiskPhysicalPath", true},
    KnownCall{"GetVolumeInformationW", true},
    KnownCall{"InitiateSystemShutdownW", true},
    KnownCall{"LoadLibraryExW", true},
    KnownCall{"MessageBeep", false},  // its result is not looked at
    KnownCall{"OpenVirtualDisk", true},
    KnownCall{"QueryDosDeviceW", true},
    KnownCall{"ReadFile", true},
    KnownCall{"RtlGetVersion", true},
    KnownCall{"SendMessageTimeoutW", true},
    KnownCall{"SetFileAttributesW", true},
    KnownCall{"Sleep", false},  // cannot fail
    KnownCall{"VerLanguageNameW", true},
    KnownCall{"VerQueryValueW", true},
    KnownCall{"WIMApplyImage", true},
    KnownCall{"WIMCloseHandle", true},
    KnownCall{"WIMCreateFile", true},
    KnownCall{"WIMGetAttributes", true},
    KnownCall{"WIMGetImageInformation", true},
    KnownCall{"WIMLoadImage", true},
    KnownCall{"WIMRegisterLogFile", true},
    KnownCall{"WIMRegisterMessageCallback", true},
    KnownCall{"WIMSetReferenceFile", true},
    KnownCall{"WIMSetTemporaryPath", true},
    KnownCall{"WIMUnregisterLogFile", true},
    KnownCall{"WIMUnregisterMessageCallback", true},
    KnownCall{"WriteFile", true},
};

}  // namespace

CallKind kindOfCall(std::string_view name) {
    const auto it = std::lower_bound(kKnownCalls.begin(), kKnownCalls.end(), name,
                                     [](const KnownCall& call, std::string_view n) { return call.name < n; });
    if (it == kKnownCalls.end() || it->name != name) return CallKind::Unknown;
    return it->failable ? CallKind::Failable : CallKind::CountedOnly;
}

std::vector<std::string> countedCallNames() {
    std::vector<std::string> names;
    for (const auto& call : kKnownCalls) names.emplace_back(call.name);
    return names;
}

void from_json(const nlohmann::json& value, CallFailure& failure) {
    expectObject(value, "an object with \"call\", \"nth\" and \"error\"");
    refuseUnknownMembers(value, {"call", "nth", "error"});
    const nlohmann::json& call = requiredMember(value, "call", "the name of a Windows function");
    failure.call = call.get<std::string>();
    switch (kindOfCall(failure.call)) {
        case CallKind::Unknown:
            refuseJson(call, "\"" + failure.call + "\" is no platform call the simulated machine knows");
        case CallKind::CountedOnly:
            refuseJson(call, failure.call + " cannot fail in a way the program could see");
        case CallKind::Failable:
            break;
    }
    if (const auto nth = value.find("nth"); nth != value.end()) {
        failure.nth = wholeNumber<std::uint64_t>(*nth, 1, 0xFFFFFFFFFFFFFFFF);
    }
    failure.error = wholeNumber<std::uint32_t>(requiredMember(value, "error", "a Windows error code"), 1, 0xFFFFFFFF);
}

std::uint32_t PlatformCalls::enter(std::string_view name) {
    assert(kindOfCall(name) != CallKind::Unknown && "a boundary operation counted under a name the sim does not know");
    std::uint64_t count;
    {
        std::lock_guard lock(mutex_);
        auto it = counts_.find(name);
        if (it == counts_.end()) it = counts_.emplace(std::string(name), 0).first;
        count = ++it->second;
    }
    for (const auto& failure : failures_) {
        if (failure.call == name && failure.nth == count) return failure.error;
    }
    return 0;
}

std::map<std::string, std::uint64_t> PlatformCalls::counts() const {
    std::lock_guard lock(mutex_);
    return {counts_.begin(), counts_.end()};
}

}  // namespace halvora::sim
