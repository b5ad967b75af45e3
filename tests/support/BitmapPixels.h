#pragma once

#include <cstdint>
#include <optional>

#include "core/Types.h"
#include "render/DecodedBitmap.h"

// Pixel (X, Y) of a decoded bitmap, Y from the top, as 0x00RRGGBB, looked up
// in the colour table for 1 to 8 bits.
uint32_t PixelAt(const TDecodedBitmap& Bitmap, int32_t X, int32_t Y);

// DecodeCoverImage over a memory stream of the bytes, with a box.
std::optional<TDecodedBitmap> DecodeBytes(const TBytes& Bytes, int32_t Width = 100000, int32_t Height = 100000);
