#pragma once

#include <cstdint>
#include <optional>

#include "core/Stream.h"
#include "render/PictureSink.h"

// Recognises the picture by its first bytes (JPEG FF D8, PNG 89 "PNG",
// GIF "GIF", BMP "BM", tested in this order) and decodes it; Width and
// Height choose the JPEG scale. An empty bitmap is a picture without pixels
// (a GIF without frames). Never raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodeCoverImage(TStream& Stream, int32_t Width, int32_t Height);
// The same, with the rows going into Sink: the result is Sink's. CutShort
// goes to the PNG and GIF decoders.
std::optional<TDecodedBitmap> DecodeCoverImage(TStream& Stream, int32_t Width, int32_t Height, TPictureSink& Sink,
                                               TCutShort CutShort = csRefuse);
