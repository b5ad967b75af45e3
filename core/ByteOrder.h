#pragma once

#include <cstdint>

// Fixed-width numbers read from bytes at an offset the caller has checked.
// ZIP, BMP and GIF store theirs little-endian; Palm databases, Mobipocket
// and EXTH big-endian.

inline uint16_t GetLE16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | P[1] << 8); }
inline uint32_t GetLE32(const uint8_t* P)
{
    return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 | static_cast<uint32_t>(P[2]) << 16 |
           static_cast<uint32_t>(P[3]) << 24;
}

inline uint16_t GetBE16(const uint8_t* P) { return static_cast<uint16_t>(P[0] << 8 | P[1]); }
inline uint32_t GetBE32(const uint8_t* P)
{
    return static_cast<uint32_t>(P[0]) << 24 | static_cast<uint32_t>(P[1]) << 16 | static_cast<uint32_t>(P[2]) << 8 |
           static_cast<uint32_t>(P[3]);
}
// Two's complement, as the formats store signed fields.
inline int32_t GetBEInt32(const uint8_t* P) { return static_cast<int32_t>(GetBE32(P)); }
