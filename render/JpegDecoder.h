#pragma once

#include <cstdint>
#include <optional>

#include "core/Stream.h"
#include "render/DecodedBitmap.h"

// Decodes a JPEG at the DCT scale that ChooseJpegScale picks for the box:
// 24-bit for colour, 8-bit with a palette of at most 236 levels for grey (or
// any picture when the display has 8 bits or fewer), 32-bit for CMYK.
// Never raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodeJpegCover(TStream& Stream, int32_t Width, int32_t Height);
