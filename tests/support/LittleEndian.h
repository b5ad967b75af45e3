#pragma once

#include <cstdint>

#include "core/Types.h"

// Little-endian fields appended to a file being built, as ZIP and BMP store them.
inline void Put16(TBytes& Out, uint32_t Value)
{
    Out.push_back(static_cast<uint8_t>(Value));
    Out.push_back(static_cast<uint8_t>(Value >> 8));
}

inline void Put32(TBytes& Out, uint32_t Value)
{
    Put16(Out, Value & 0xFFFF);
    Put16(Out, Value >> 16);
}
