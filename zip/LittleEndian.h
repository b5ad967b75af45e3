#pragma once

#include <cstdint>

// ZIP numbers are little-endian and unsigned.
inline uint16_t GetLE16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | P[1] << 8); }
inline uint32_t GetLE32(const uint8_t* P)
{
    return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 | static_cast<uint32_t>(P[2]) << 16 |
           static_cast<uint32_t>(P[3]) << 24;
}
