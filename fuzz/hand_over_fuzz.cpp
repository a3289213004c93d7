// The bytes a second instance sends with WM_COPYDATA. The first four bytes are the size the
// sender claims, the rest the data; a claim larger than the data is cut to it, as a window
// only ever gets the bytes that were sent.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/single_instance.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    if (size < 4) return 0;
    std::uint32_t claimed = 0;
    std::memcpy(&claimed, data, 4);
    // Its own buffer, so that the sanitizer sees any read past what was sent.
    const std::vector<std::uint8_t> sent(data + 4, data + size);
    const std::uint32_t available = static_cast<std::uint32_t>(sent.size());
    const auto text = readHandOver(sent.empty() ? nullptr : sent.data(), claimed < available ? claimed : available);
    if (text) {
        // What is taken must survive the way back into a payload.
        const std::string payload = handOverPayload(*text);
        if (readHandOver(payload.data(), static_cast<std::uint32_t>(payload.size())) != text) __builtin_trap();
    }
    return 0;
}
