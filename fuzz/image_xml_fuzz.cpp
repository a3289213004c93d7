// The imaging library's XML description of an image file, as the image list reads it.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.hpp"
#include "images/image_xml.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    const std::wstring text = oneElementPerLine(fuzzing::wideText(data, size));
    const auto rows = readImageRows(text, [](std::uint64_t time) { return std::to_wstring(time); });
    for (const auto& row : rows) {
        if (row.size() != static_cast<std::size_t>(kImageListColumnCount)) __builtin_trap();
    }
    decodeXmlEntities(text);
    return 0;
}
