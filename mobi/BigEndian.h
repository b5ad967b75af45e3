#pragma once

#include <cstdint>

// Palm database and Mobipocket fields are big-endian.

inline uint16_t BigEndianUInt16(const uint8_t* Bytes) { return static_cast<uint16_t>(Bytes[0] << 8 | Bytes[1]); }

inline uint32_t BigEndianUInt32(const uint8_t* Bytes)
{
    return static_cast<uint32_t>(Bytes[0]) << 24 | static_cast<uint32_t>(Bytes[1]) << 16 |
           static_cast<uint32_t>(Bytes[2]) << 8 | static_cast<uint32_t>(Bytes[3]);
}

// Two's complement, as the formats store signed fields.
inline int32_t BigEndianInt32(const uint8_t* Bytes) { return static_cast<int32_t>(BigEndianUInt32(Bytes)); }
