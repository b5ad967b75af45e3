#pragma once

#include <cstdint>
#include <optional>

#include "core/Stream.h"
#include "render/PictureSink.h"

// Decodes a JPEG at the DCT scale that JpegScaleFor picks for the box and
// the size the library reads from the header: 24-bit for colour, 8-bit with
// a palette of at most 236 levels for grey (or any picture when the display
// has 8 bits or fewer), 32-bit for CMYK. The rows go into Sink, whose result
// is the result. Never raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodeJpegCover(TStream& Stream, int32_t Width, int32_t Height, TPictureSink& Sink);
