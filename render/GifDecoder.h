#pragma once

#include <optional>

#include "core/Stream.h"
#include "render/PictureSink.h"

// Decodes the first frame of a GIF; later frames are never read. An opaque
// frame that covers the whole logical screen becomes an 8-bit bitmap with
// its colour table; any other frame is drawn on the screen, filled white (or
// with the background colour when the frame has a transparent colour), in
// the display format. The rows go into Sink, whose result is the result; a
// GIF without frames gives an empty bitmap. A frame that is not interlaced
// and whose data ends before its last row gives what CutShort says. Never
// raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodeGifCover(TStream& Stream, TPictureSink& Sink, TCutShort CutShort = csRefuse);
