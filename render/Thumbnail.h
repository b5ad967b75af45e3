#pragma once

#include <cstdint>
#include <optional>

#include "core/Stream.h"
#include "platform/Dib.h"
#include "render/DecodedBitmap.h"
#include "render/PictureSink.h"

// Decodes the picture in Stream and fits it into Width x Height; the
// returned DIB belongs to the caller. Never raises; nullptr for no bitmap.
// CutShort: what becomes of a PNG or GIF whose data ends early.
platform::TBitmapHandle MakeThumbnail(TStream& Stream, int32_t Width, int32_t Height, TCutShort CutShort = csRefuse);

// MakeThumbnail's bitmap before it is detached: the decoded picture itself
// when it fits the box, else its 24-bit reduction to the fitted size;
// nullopt for no bitmap (no picture, no pixels, or a fitted side below 1).
std::optional<TDecodedBitmap> MakeThumbnailBitmap(TStream& Stream, int32_t Width, int32_t Height,
                                                  TCutShort CutShort = csRefuse);
