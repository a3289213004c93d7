#pragma once
// Little-endian numbers in byte buffers, as the platform's records lay them out.

#include <cstdint>

namespace halvora {

inline std::uint16_t readLe16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

inline std::uint32_t readLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline std::uint64_t readLe64(const std::uint8_t* at) {
    return static_cast<std::uint64_t>(readLe32(at)) | static_cast<std::uint64_t>(readLe32(at + 4)) << 32;
}

inline void writeLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void writeLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void writeLe64(std::uint8_t* at, std::uint64_t value) {
    writeLe32(at, static_cast<std::uint32_t>(value));
    writeLe32(at + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace halvora
