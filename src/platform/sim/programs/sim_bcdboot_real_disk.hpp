#pragma once
// The boot tool on a real disk, where a real firmware may start what it writes: the boot files
// of the installed Windows in the layout Windows uses, and the store as a registry hive
// (sim_bcd_hive.hpp). Nothing is made up here: the Windows folder must bring its boot manager.
//
//   UEFI  <Windows>\Boot\EFI\*              -> EFI\Microsoft\Boot\* (files and sub-folders)
//         <Windows>\Boot\Fonts\*            -> EFI\Microsoft\Boot\Fonts\*
//         <Windows>\Boot\EFI\bootmgfw.efi   -> also EFI\Boot\bootx64.efi, the firmware's fallback
//         the store                         EFI\Microsoft\Boot\BCD
//   BIOS  <Windows>\Boot\PCAT\bootmgr       -> bootmgr
//         the rest of <Windows>\Boot\PCAT\* -> Boot\*
//         <Windows>\Boot\Fonts\*            -> Boot\Fonts\*
//         the store                         Boot\BCD
//
// The store starts from the one already on the volume (its other entries stay), else from
// <Windows>\System32\config\BCD-Template when the Windows has one, else from an empty hive.

#include <cstdint>
#include <string>

#include "platform/sim/disks/sim_devices.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/programs/sim_bcd_device.hpp"

namespace halvora::sim {

struct RealDiskBootJob {
    std::wstring windows;     // "W:\Windows", without a closing backslash
    std::wstring systemRoot;  // "\Windows"
    std::wstring root;        // the boot volume's root, "S:\"
    std::wstring locale;
    bool keepDefault = false;          // /d
    BcdPartitionDevice windowsDevice;  // the Windows volume's partition
    BcdPartitionDevice bootDevice;     // the boot volume's partition
};

// The partition of a volume as a store names it.
BcdPartitionDevice bcdDeviceOf(const DeviceInfo& volume);

// 0, 2 (file not found) when the Windows lacks its boot manager, or the Windows error of the
// write that failed (13 for a store on the volume that is no hive).
std::uint32_t writeRealDiskUefi(SimMachine& machine, const RealDiskBootJob& job);
std::uint32_t writeRealDiskBios(SimMachine& machine, const RealDiskBootJob& job);

}  // namespace halvora::sim
