// WIM_INFO as the imaging library fills it, and the texts made of it.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.hpp"
#include "images/wim_info.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    const WimInfo info = decodeWimInfo(fuzzing::record<kWimInfoSize>(data, size));
    imageFileSummary(info);
    attributeNames(info.WimAttributes);
    // The path of the part the record came from, read from the bytes after the record.
    const std::size_t rest = size > kWimInfoSize ? size - kWimInfoSize : 0;
    firstPartPath(fuzzing::wideText(data + (size - rest), rest), info.PartNumber);
    return 0;
}
