#include "platform/sim/programs/sim_bcdboot_real_disk.hpp"

#include <optional>

#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/programs/sim_bcd_hive.hpp"
#include "platform/sim/programs/sim_bcdboot_files.hpp"

namespace halvora::sim {

namespace {

const wchar_t* const kLoaderDescription = L"Windows";

// The store to start from: the volume's own, else the Windows folder's template, else none.
std::optional<std::string> startingStore(const SimMachine& machine, const RealDiskBootJob& job,
                                         const std::wstring& store) {
    if (auto existing = boot_files::readFile(machine, store)) return existing;
    return boot_files::readFile(machine, job.windows + L"\\System32\\config\\BCD-Template");
}

std::uint32_t writeStore(SimMachine& machine, const RealDiskBootJob& job, const std::wstring& store,
                         const std::optional<std::string>& start, const std::wstring& managerPath,
                         const std::wstring& loader) {
    BcdBootEntry entry;
    entry.windowsDevice = job.windowsDevice;
    entry.bootDevice = job.bootDevice;
    entry.managerPath = managerPath;
    entry.loaderPath = job.systemRoot + L"\\system32\\" + loader;
    entry.systemRoot = job.systemRoot;
    entry.locale = job.locale;
    entry.description = kLoaderDescription;
    std::string hive;
    if (const std::uint32_t error = writeBcdHive(start, entry, job.keepDefault, hive)) return error;
    return boot_files::placeFile(machine, store, hive);
}

// <Windows>\Boot\Fonts into `parent`\Fonts, made when the Windows has fonts.
std::uint32_t copyFonts(SimMachine& machine, const RealDiskBootJob& job, const std::wstring& parent) {
    const std::wstring fonts = job.windows + L"\\Boot\\Fonts";
    if (!boot_files::isFolder(machine, fonts)) return 0;
    if (const auto e = boot_files::ensureFolder(machine, parent, {L"Fonts"})) return e;
    return boot_files::copyFolder(machine, fonts, parent + L"\\Fonts");
}

}  // namespace

BcdPartitionDevice bcdDeviceOf(const DeviceInfo& volume) {
    BcdPartitionDevice device;
    device.style = volume.disk && volume.disk->style == PartitionStyle::Mbr ? PartitionStyle::Mbr : PartitionStyle::Gpt;
    if (volume.disk) {
        device.diskGuid = volume.disk->gptDiskGuid;
        device.mbrSignature = volume.disk->mbrSignature;
    }
    if (device.style == PartitionStyle::Mbr) {
        device.partitionOffset = volume.startingOffset;
    } else {
        device.partitionGuid = volume.partitionId;
    }
    return device;
}

std::uint32_t writeRealDiskUefi(SimMachine& machine, const RealDiskBootJob& job) {
    const std::wstring source = job.windows + L"\\Boot\\EFI";
    const auto manager = boot_files::readFile(machine, source + L"\\bootmgfw.efi");
    if (!manager) return files::kFileNotFound;
    const std::wstring boot = job.root + L"EFI\\Microsoft\\Boot";
    const std::wstring store = boot + L"\\BCD";
    const auto start = startingStore(machine, job, store);  // before the copy, which could bring a BCD

    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"EFI", L"Microsoft", L"Boot"})) return e;
    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"EFI", L"Boot"})) return e;
    if (const auto e = boot_files::copyFolder(machine, source, boot)) return e;
    if (const auto e = copyFonts(machine, job, boot)) return e;
    if (const auto e = boot_files::placeFile(machine, job.root + L"EFI\\Boot\\bootx64.efi", *manager)) return e;
    return writeStore(machine, job, store, start, L"\\EFI\\Microsoft\\Boot\\bootmgfw.efi", L"winload.efi");
}

std::uint32_t writeRealDiskBios(SimMachine& machine, const RealDiskBootJob& job) {
    const std::wstring source = job.windows + L"\\Boot\\PCAT";
    const auto manager = boot_files::readFile(machine, source + L"\\bootmgr");
    if (!manager) return files::kFileNotFound;
    const std::wstring boot = job.root + L"Boot";
    const std::wstring store = boot + L"\\BCD";
    const auto start = startingStore(machine, job, store);

    if (const auto e = boot_files::placeFile(machine, job.root + L"bootmgr", *manager)) return e;
    if (const auto e = boot_files::ensureFolder(machine, job.root, {L"Boot"})) return e;
    if (const auto e = boot_files::copyFolder(machine, source, boot, {L"bootmgr"})) return e;
    if (const auto e = copyFonts(machine, job, boot)) return e;
    // A BIOS boot manager is the file at the volume's root: its object names no path.
    return writeStore(machine, job, store, start, L"", L"winload.exe");
}

}  // namespace halvora::sim
