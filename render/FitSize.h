#pragma once

#include <cstdint>

struct TFitSize {
    int32_t Width;
    int32_t Height;
    bool operator==(const TFitSize&) const = default;
};

// The aspect-preserving fit of a Width x Height picture into a box: the side
// that fills the box follows the picture's orientation (landscape: width),
// and is corrected only when the other side then overflows. Sides are cut
// toward zero, never rounded. Evaluated in 64-bit doubles on every build.
TFitSize FitSizeInBox(TFitSize Picture, TFitSize Box);
