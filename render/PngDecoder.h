#pragma once

#include <optional>

#include "core/Stream.h"
#include "render/PictureSink.h"

// Decodes a PNG of any colour type, bit depth and interlacing, with its
// transparency removed: 1-bit, 4-bit (from depths 2 and 4) or 8-bit with the
// palette for low depths and palette pictures, else 24-bit. A gAMA chunk maps
// colour samples and palette entries, never grey levels. The rows go into
// Sink (an interlaced picture whole, once its last pass is in), whose result
// is the result; nothing after the last row is read. Data that ends before
// the last row of a picture that is not interlaced gives what CutShort says.
// Never raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodePngCover(TStream& Stream, TPictureSink& Sink, TCutShort CutShort = csRefuse);
