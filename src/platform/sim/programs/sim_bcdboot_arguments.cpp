#include "platform/sim/programs/sim_bcdboot_arguments.hpp"

#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

// "S", "S:" or "S:\" -> 'S'; 0 for anything else.
wchar_t volumeLetter(const std::wstring& text) {
    if (text.empty() || text.size() > 3) return 0;
    const wchar_t letter = foldCase(text[0]);
    if (letter < L'A' || letter > L'Z') return 0;
    if (text.size() >= 2 && text[1] != L':') return 0;
    if (text.size() == 3 && text[2] != L'\\') return 0;
    return letter;
}

std::optional<BootFirmware> firmwareOf(const std::wstring& text) {
    const std::wstring upper = foldCase(text);
    if (upper == L"ALL") return BootFirmware::All;
    if (upper == L"BIOS") return BootFirmware::Bios;
    if (upper == L"UEFI") return BootFirmware::Uefi;
    return std::nullopt;
}

}  // namespace

std::optional<BcdbootArguments> parseBcdbootArguments(const std::vector<std::wstring>& words, std::wstring& problem) {
    BcdbootArguments arguments;
    if (words.empty() || words[0].empty() || words[0][0] == L'/') {
        problem = L"the Windows folder must come first";
        return std::nullopt;
    }
    arguments.windowsFolder = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::wstring option = foldCase(words[i]);
        if (option == L"/D") {
            arguments.keepDefault = true;
            continue;
        }
        if (option != L"/L" && option != L"/S" && option != L"/F") {
            problem = L"unknown option " + words[i];
            return std::nullopt;
        }
        if (i + 1 == words.size() || words[i + 1].empty() || words[i + 1][0] == L'/') {
            problem = words[i] + L" needs a value";
            return std::nullopt;
        }
        const std::wstring& value = words[++i];
        if (option == L"/L") {
            arguments.locale = value;
        } else if (option == L"/S") {
            arguments.systemVolume = volumeLetter(value);
            if (arguments.systemVolume == 0) {
                problem = value + L" is no volume letter";
                return std::nullopt;
            }
        } else {
            arguments.firmware = firmwareOf(value);
            if (!arguments.firmware) {
                problem = value + L" is no firmware type (ALL, BIOS or UEFI)";
                return std::nullopt;
            }
        }
    }
    return arguments;
}

}  // namespace halvora::sim
