#pragma once

#include <optional>

#include "core/Stream.h"
#include "render/PictureSink.h"

// Decodes a BMP file with a Windows (40 bytes or more) or OS/2 (12 bytes)
// header. Uncompressed 1-, 4-, 8-, 24- and 32-bit pixels keep their depth
// and colour table; 16-bit and bit-field pixels, which a DIB cannot hold as
// they are, become 24-bit (16 bits) or 32-bit (32 bits); run-length encoded
// pixels are expanded into the display format. Rows the file has no data
// for stay black. The rows go into Sink as the file stores them; the result
// is Sink's. Never raises; nullopt for no picture.
std::optional<TDecodedBitmap> DecodeBmpCover(TStream& Stream, TPictureSink& Sink);
