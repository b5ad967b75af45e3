#include "render/Thumbnail.h"

// Placeholder until picture decoding lands.
platform::TBitmapHandle MakeThumbnail(TStream&, int32_t, int32_t) { return nullptr; }
