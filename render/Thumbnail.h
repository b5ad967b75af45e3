#pragma once

#include <cstdint>

#include "core/Stream.h"
#include "platform/Dib.h"

// Decodes the picture in Stream and fits it into Width x Height; the
// returned DIB belongs to the caller. Never raises; nullptr for no bitmap.
platform::TBitmapHandle MakeThumbnail(TStream& Stream, int32_t Width, int32_t Height);
