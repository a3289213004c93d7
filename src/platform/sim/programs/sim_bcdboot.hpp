#pragma once
// Bcdboot.exe of the simulated machine: it takes Bcdboot's arguments and writes onto the
// machine's drives the boot files and a readable boot configuration store (sim_bcd_store.hpp)
// for the Windows folder it is given.
//
// Onto the /s volume (without /s: the Windows folder's own volume):
//   UEFI  EFI\Microsoft\Boot\bootmgfw.efi, EFI\Boot\bootx64.efi (both from
//         <Windows>\Boot\EFI\bootmgfw.efi when it is there), EFI\Microsoft\Boot\BCD
//   BIOS  bootmgr (from <Windows>\Boot\PCAT\bootmgr when it is there), Boot\BCD
//   ALL   both.
// Without /f it writes for UEFI onto a GPT ESP and for BIOS onto anything else.
//
// On a real disk (the boot volume's disk has a real source) a real firmware may start what it
// writes, so it is the program's own boot-file writer instead (sim_bcdboot_real_disk.hpp): the
// Windows folder's whole Boot\EFI or Boot\PCAT and its fonts, in the layout Windows uses, and
// the store as a registry hive naming the partitions (sim_bcd_hive.hpp). There it makes up no
// boot manager: one missing from the Windows folder fails with 2 (file not found).
//
// Exit codes: 0 done; 87 (the parameter is incorrect) for arguments it refuses, a Windows
// folder without Boot, a volume that is not there or (on a real disk) a Windows on no
// partition; 2 on a real disk whose Windows lacks its boot manager; the Windows error of the
// write that failed (5 read-only, 19 write-protected, 112 full) otherwise; 13 for a store it
// cannot read. The machine description may force a code instead: then it writes nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"

namespace halvora::sim {

struct BcdbootRun {
    std::uint32_t exitCode = 0;
    std::vector<std::wstring> output;  // the lines it prints
};

// `arguments` are the words after the program's name.
BcdbootRun runBcdboot(SimMachine& machine, const std::vector<std::wstring>& arguments);

}  // namespace halvora::sim
