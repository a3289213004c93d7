// The three records Windows fills about a volume, and what the drive lists make of them. The
// first byte chooses the record; the rest is its bytes.

#include <cstddef>
#include <cstdint>

#include "disks/volume_records.hpp"
#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    if (size == 0) return 0;
    const std::uint8_t which = data[0] % 3;
    ++data;
    --size;
    if (which == 0) {
        decodeDeviceNumber(fuzzing::record<kDeviceNumberSize>(data, size));
    } else if (which == 1) {
        const PartitionInfo info = decodePartitionInfo(fuzzing::record<kPartitionInfoSize>(data, size));
        isEsp(info);
        isActive(info);
        partitionStyleText(info);
        bootTypeText(info);
        guidText(info.GptPartitionType);
    } else {
        productText(decodeDeviceDescriptor(fuzzing::record<kDeviceDescriptorSize>(data, size)));
    }
    return 0;
}
