#include "platform/sim/programs/sim_bcdboot.hpp"

#include "base/utf.hpp"
#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/programs/sim_bcd_store.hpp"
#include "platform/sim/programs/sim_bcdboot_arguments.hpp"
#include "platform/sim/programs/sim_bcdboot_files.hpp"
#include "platform/sim/programs/sim_bcdboot_real_disk.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kInvalidData = 13;
constexpr std::uint32_t kInvalidParameter = 87;

// The type of an EFI system partition on GPT.
constexpr Guid kEspGuid{0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}};

const wchar_t* const kSuccess = L"Boot files successfully created.";
const wchar_t* const kFailure = L"Failure when attempting to copy boot files.";

BcdbootRun failed(std::uint32_t code, std::vector<std::wstring> lines = {}) {
    lines.push_back(kFailure);
    return BcdbootRun{code, std::move(lines)};
}

// A boot file copied from the Windows folder's Boot folder, or a stand-in of its own when the
// installed Windows lacks it (images made for tests rarely carry real boot files). It replaces
// a hidden or system copy as the real tool does, but not a read-only one.
std::uint32_t placeBootFile(SimMachine& machine, const std::wstring& source, const std::wstring& target) {
    const auto bytes = boot_files::readFile(machine, source);
    const std::string content = bytes ? *bytes : "halvora-sim boot file in place of " + toUtf8(source) + "\n";
    return boot_files::placeFile(machine, target, content);
}

std::uint32_t updateStore(SimMachine& machine, const std::wstring& path, const BcdEntry& entry, bool keepDefault) {
    BcdStore store;
    if (const auto text = boot_files::readFile(machine, path)) {
        const auto existing = parseBcdStore(*text);
        if (!existing) return kInvalidData;
        store = *existing;
    }
    addBootEntry(store, entry, keepDefault);
    return files::write(machine, path, bcdStoreText(store), files::HiddenFile::Replace);
}

bool isGptEsp(const DeviceInfo& device) {
    return device.kind == DeviceKind::Volume && device.disk->style == PartitionStyle::Gpt &&
           device.partition->gptType == kEspGuid;
}

struct Job {
    std::wstring windows;       // "C:\Windows", as given
    std::wstring systemRoot;    // "\Windows"
    std::wstring loaderFolder;  // "\Windows\system32"
    std::wstring device;        // "C:"
    std::wstring root;          // the volume the files go to, "S:\"
    std::wstring locale;
    bool keepDefault = false;
};

std::uint32_t writeUefi(SimMachine& machine, const Job& job) {
    const std::wstring manager = job.windows + L"\\Boot\\EFI\\bootmgfw.efi";
    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"EFI", L"Microsoft", L"Boot"})) return e;
    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"EFI", L"Boot"})) return e;
    if (const auto e = placeBootFile(machine, manager, job.root + L"EFI\\Microsoft\\Boot\\bootmgfw.efi")) return e;
    if (const auto e = placeBootFile(machine, manager, job.root + L"EFI\\Boot\\bootx64.efi")) return e;
    const BcdEntry entry{L"", job.device, job.loaderFolder + L"\\winload.efi", job.locale};
    return updateStore(machine, job.root + L"EFI\\Microsoft\\Boot\\BCD", entry, job.keepDefault);
}

std::uint32_t writeBios(SimMachine& machine, const Job& job) {
    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"Boot"})) return e;
    if (const auto e = placeBootFile(machine, job.windows + L"\\Boot\\PCAT\\bootmgr", job.root + L"bootmgr")) return e;
    const BcdEntry entry{L"", job.device, job.loaderFolder + L"\\winload.exe", job.locale};
    return updateStore(machine, job.root + L"Boot\\BCD", entry, job.keepDefault);
}

RealDiskBootJob realDiskJob(const Job& job, const DeviceInfo& windowsVolume, const DeviceInfo& bootVolume) {
    RealDiskBootJob real;
    real.windows = job.windows;
    real.systemRoot = job.systemRoot;
    real.root = job.root;
    real.locale = job.locale;
    real.keepDefault = job.keepDefault;
    real.windowsDevice = bcdDeviceOf(windowsVolume);
    real.bootDevice = bcdDeviceOf(bootVolume);
    return real;
}

}  // namespace

BcdbootRun runBcdboot(SimMachine& machine, const std::vector<std::wstring>& arguments) {
    if (const auto forced = machine.description().bcdboot.exitCode) {
        return *forced == 0 ? BcdbootRun{0, {kSuccess}} : failed(*forced);
    }
    std::wstring problem;
    const auto parsed = parseBcdbootArguments(arguments, problem);
    if (!parsed) return failed(kInvalidParameter, {L"The parameter is incorrect: " + problem + L"."});

    const auto windows = parseWindowsPath(parsed->windowsFolder);
    if (!windows || windows->components.empty() || !boot_files::isFolder(machine, parsed->windowsFolder + L"\\Boot")) {
        return failed(kInvalidParameter, {L"No Windows with boot files in " + parsed->windowsFolder + L"."});
    }
    const wchar_t letter = parsed->systemVolume ? parsed->systemVolume : windows->drive;
    const auto volume = machine.devices().deviceOfName(std::wstring(1, letter) + L":");
    if (!volume || volume->folder.empty()) {
        return failed(kInvalidParameter, {L"No volume " + std::wstring(1, letter) + L":."});
    }

    Job job;
    job.windows = parsed->windowsFolder;
    while (job.windows.back() == L'\\' || job.windows.back() == L'/') job.windows.pop_back();
    for (const auto& component : windows->components) job.systemRoot += L"\\" + component;
    job.loaderFolder = job.systemRoot + L"\\system32";
    job.device = std::wstring(1, windows->drive) + L":";
    job.root = std::wstring(1, letter) + L":\\";
    job.locale = parsed->locale.empty() ? L"en-us" : parsed->locale;
    job.keepDefault = parsed->keepDefault;

    const BootFirmware firmware =
        parsed->firmware.value_or(isGptEsp(*volume) ? BootFirmware::Uefi : BootFirmware::Bios);
    std::uint32_t error = 0;
    if (volume->disk && volume->disk->real) {
        // A real disk gets the real boot files and a store a boot manager can read, which names
        // the Windows by its partition: so the Windows must lie on one.
        const auto windowsVolume = machine.devices().deviceOfName(job.device);
        if (!windowsVolume || windowsVolume->kind != DeviceKind::Volume) {
            return failed(kInvalidParameter, {L"No partition holds " + job.windows + L"."});
        }
        const RealDiskBootJob real = realDiskJob(job, *windowsVolume, *volume);
        if (firmware != BootFirmware::Bios) error = writeRealDiskUefi(machine, real);
        if (!error && firmware != BootFirmware::Uefi) error = writeRealDiskBios(machine, real);
    } else {
        if (firmware != BootFirmware::Bios) error = writeUefi(machine, job);
        if (!error && firmware != BootFirmware::Uefi) error = writeBios(machine, job);
    }
    if (error) return failed(error);
    return BcdbootRun{0, {kSuccess}};
}

}  // namespace halvora::sim
