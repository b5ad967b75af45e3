#pragma once

#include <cstddef>
#include <cstdint>

#include "render/PictureSink.h"

// Expands run-length encoded pixels (4 or 8 bits per index) into Sink,
// started for Shape (24 or 32 bits, rows bottom-up as in the file), looking
// the indexes up in Colours. Rows are put as the data leave them; pixels the
// data skip or never reach stay black, and runs past the right edge are cut.
void ExpandBmpRle(const uint8_t* Data, size_t Size, int IndexBits, const uint32_t* Colours,
                  const TPictureShape& Shape, TPictureSink& Sink);
