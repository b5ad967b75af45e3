#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Stream.h"

struct TJpegFrameSize {
    bool Found = false;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The picture size from the frame header, as the JPEG library's own header
// reader finds it: past fill bytes and stray bytes between segments, for
// every frame type the library decodes (sequential, progressive, arithmetic
// coded). Reads the header segments only, up to the first scan. Never
// raises: a failing stream or a header the library rejects means not found.
TJpegFrameSize ReadJpegFrameSize(TStream& Stream);
TJpegFrameSize ReadJpegFrameSize(const uint8_t* Data, size_t Size);

// The denominator d (8, 4, 2 or 1) of the largest DCT scale 1/d that keeps a
// picture of Frame's size at least as large as the box in both dimensions;
// 1 when the size is not found or the box has a side of 0 or less.
int JpegScaleFor(const TJpegFrameSize& Frame, int32_t Width, int32_t Height);
int ChooseJpegScale(TStream& Stream, int32_t Width, int32_t Height);
