#pragma once

#include <cstdint>

#include "core/Stream.h"

struct TJpegFrameSize {
    bool Found = false;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The picture size from the first SOF0-SOF3 frame header, found by a marker
// scan that reads only the header segments and seeks over their contents.
// Never raises: a failing stream means not found.
TJpegFrameSize ReadJpegFrameSize(TStream& Stream);

// The denominator d (8, 4, 2 or 1) of the largest DCT scale 1/d that keeps
// the picture at least as large as the box in both dimensions.
int ChooseJpegScale(TStream& Stream, int32_t Width, int32_t Height);
