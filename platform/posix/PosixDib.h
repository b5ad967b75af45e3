#pragma once

#include <cstddef>
#include <cstdint>

// The POSIX stand-in for a GDI DIB section. A bitmap handle points at one of
// these; the module exports BrisleafGetObject and BrisleafDeleteObject so that
// a host can read and free what it received, as it would with GDI's
// GetObject and DeleteObject.
struct BrisleafDibSection {
    int32_t Width;
    int32_t Height;        // positive: rows bottom-up
    uint16_t BitCount;
    uint32_t Stride;       // bytes per row, a multiple of 4
    uint32_t ColorCount;   // entries of ColorTable
    const uint32_t* ColorTable;
    uint8_t* Bits;
};

extern "C" {
// Fills Out with the bitmap's description when Size is large enough; returns
// the bytes written, 0 for an unknown handle.
__attribute__((visibility("default"))) int BrisleafGetObject(void* Bitmap, int Size, void* Out);
// Frees a bitmap; returns 0 for an unknown handle.
__attribute__((visibility("default"))) int BrisleafDeleteObject(void* Bitmap);
}

using TBrisleafGetObject = int (*)(void*, int, void*);
using TBrisleafDeleteObject = int (*)(void*);

namespace platform {
// The description of a live bitmap; false for an unknown handle.
bool DescribeDib(void* Bitmap, BrisleafDibSection& Section);
// Frees a live bitmap; false for an unknown handle.
bool FreeDib(void* Bitmap);
// Bitmaps made and not yet freed in this process.
size_t LiveDibCount();
}
