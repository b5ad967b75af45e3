#pragma once

#include <optional>

#include "fuzz/Outcome.h"
#include "render/BoxFilter.h"
#include "render/DecodedBitmap.h"
#include "render/FitSize.h"

// Shrinks a decoded picture as MakeThumbnail would for a 40 x 30 box, so
// that every fuzzed decoder also feeds the reduction.
inline void FitDecoded(const std::optional<TDecodedBitmap>& Picture)
{
    PictureMade() = Picture && !Picture->Empty();
    if (!PictureMade())
        return;
    const TFitSize Fit = FitSizeInBox({Picture->Width(), Picture->Height()}, {40, 30});
    ReduceBoxFilter(*Picture, Fit.Width, Fit.Height);
}
