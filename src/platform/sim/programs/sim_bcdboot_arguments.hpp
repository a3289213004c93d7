#pragma once
// The command line of the boot tool, Bcdboot.exe:
//   <Windows folder> [/l <locale>] [/s <volume letter>] [/f ALL|BIOS|UEFI] [/d]
// Options may come in any order and any case; a later one replaces an earlier one.

#include <optional>
#include <string>
#include <vector>

namespace halvora::sim {

enum class BootFirmware { Bios, Uefi, All };

struct BcdbootArguments {
    std::wstring windowsFolder;
    std::wstring locale;       // empty: not given
    wchar_t systemVolume = 0;  // upper-case drive letter; 0: not given
    std::optional<BootFirmware> firmware;
    bool keepDefault = false;  // /d
};

// `words` are the arguments after the program's name. Nullopt with `problem` saying what is
// wrong: no Windows folder, an unknown option, an option without its value, a value that is no
// drive letter or firmware type.
std::optional<BcdbootArguments> parseBcdbootArguments(const std::vector<std::wstring>& words, std::wstring& problem);

}  // namespace halvora::sim
