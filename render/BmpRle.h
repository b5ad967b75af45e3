#pragma once

#include <cstddef>
#include <cstdint>

#include "render/DecodedBitmap.h"

// Expands run-length encoded pixels (4 or 8 bits per index) into Target, a
// 24- or 32-bit bitmap of the picture's size, looking the indexes up in
// Colours. Rows count from the bottom, as in the file; pixels the data skip
// or never reach stay black, and runs past the right edge are cut.
void ExpandBmpRle(const uint8_t* Data, size_t Size, int IndexBits, const uint32_t* Colours, TDecodedBitmap& Target);
