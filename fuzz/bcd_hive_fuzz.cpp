// The boot configuration store the simulated Bcdboot finds on a real disk's boot volume (or a
// Windows image's template) and edits with hivex: a valid store with the input laid over it,
// three bytes at a time (a little-endian offset into the store and a byte XORed there), so the
// damage lands in the base block, the cells and the values alike.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/programs/sim_bcd_hive.hpp"

namespace {

halvora::sim::BcdBootEntry fuzzedEntry() {
    halvora::sim::BcdBootEntry entry;
    entry.windowsDevice.partitionGuid.data1 = 0x12345678;
    entry.bootDevice.style = halvora::sim::PartitionStyle::Mbr;
    entry.bootDevice.partitionOffset = 1048576;
    entry.managerPath = L"\\EFI\\Microsoft\\Boot\\bootmgfw.efi";
    entry.loaderPath = L"\\Windows\\system32\\winload.efi";
    entry.systemRoot = L"\\Windows";
    entry.locale = L"ko-KR";
    entry.description = L"Windows";
    return entry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora::sim;
    static const BcdBootEntry entry = fuzzedEntry();
    static const std::string valid = [] {
        std::string bytes;
        if (writeBcdHive(std::nullopt, entry, false, bytes) != 0) __builtin_trap();
        return bytes;
    }();
    std::string store = valid;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const std::size_t at = static_cast<std::size_t>(data[i] | data[i + 1] << 8) % store.size();
        store[at] = static_cast<char>(store[at] ^ data[i + 2]);
    }
    (void)readBcdHive(store);
    std::string written;
    const std::uint32_t result = writeBcdHive(store, entry, size % 2 == 1, written);
    if (result != 0 && result != 13 && result != 29) __builtin_trap();  // invalid data, write fault
    if (result == 0 && !readBcdHive(written)) __builtin_trap();         // what it writes reads back
    return 0;
}
