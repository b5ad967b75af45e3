#pragma once

#include <cstdint>
#include <optional>

#include "render/DecodedBitmap.h"

// Shrinks Source to Width x Height (each at least 1 and at most the source's
// side) into a new 24-bit bitmap by area averaging: every target pixel is the
// mean of the source area it covers, partial pixels weighted by the part
// they cover, rounded to the nearest level. Integer arithmetic only, one pass
// over the source rows; 1-, 4-, 8-, 24- and 32-bit sources are read as they
// are. nullopt when the sizes are out of range or the bitmap cannot be made.
std::optional<TDecodedBitmap> ReduceBoxFilter(const TDecodedBitmap& Source, int32_t Width, int32_t Height);
