#pragma once

#include <cstdint>

namespace platform {

// A device-independent bitmap handle: HBITMAP of a DIB section on Windows, a
// handle to our own DIB object on POSIX. The pixels are laid out as on
// Windows: rows bottom-up, each padded to a multiple of 4 bytes, 24- and
// 32-bit pixels in blue, green, red (, fourth byte) order; colour table
// entries are RGBQUAD values 0x00RRGGBB.
using TBitmapHandle = void*;

inline uint32_t DibStride(int32_t Width, int BitCount)
{
    return static_cast<uint32_t>(((static_cast<uint64_t>(Width) * static_cast<uint64_t>(BitCount) + 31) / 32) * 4);
}

// Whether CreateDib takes the shape: Width and Height above 0, BitCount 1, 4,
// 8, 24 or 32, a colour table that fits the bit count, pixels under 4 GiB.
inline bool IsDibShape(int32_t Width, int32_t Height, int BitCount, int ColorCount)
{
    if (Width <= 0 || Height <= 0)
        return false;
    if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 24 && BitCount != 32)
        return false;
    const int MaxColors = BitCount <= 8 ? 1 << BitCount : 0;
    if (ColorCount < 0 || ColorCount > MaxColors)
        return false;
    return DibStride(Width, BitCount) <= UINT32_MAX / static_cast<uint64_t>(Height);
}

// Creates a zero-filled DIB of Width x Height (both above 0) with BitCount
// 1, 4, 8, 24 or 32 and, for 1 to 8 bits, ColorCount table entries. Returns
// nullptr for any other shape or when the system cannot make it; Bits then
// stays untouched.
TBitmapHandle CreateDib(int32_t Width, int32_t Height, int BitCount, const uint32_t* ColorTable,
                        int ColorCount, uint8_t** Bits);
void DeleteDib(TBitmapHandle Bitmap);

}
