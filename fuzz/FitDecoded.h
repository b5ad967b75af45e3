#pragma once

#include <optional>

#include "core/Stream.h"
#include "fuzz/Outcome.h"
#include "render/BoxFilter.h"
#include "render/DecodedBitmap.h"
#include "render/FitSize.h"
#include "render/PictureSink.h"

// Decodes with Decode(Stream, Sink) twice: whole, and then shrunk as
// MakeThumbnail would for a 40 x 30 box, so that every fuzzed decoder feeds
// the reduction both row by row and from a whole picture.
template <typename TDecode>
void FitDecoded(TStream& Stream, TDecode Decode)
{
    TPictureSink Whole;
    Stream.SetPosition(0);
    const std::optional<TDecodedBitmap> Picture = Decode(Stream, Whole);
    PictureMade() = Picture && !Picture->Empty();
    if (PictureMade()) {
        const TFitSize Fit = FitSizeInBox({Picture->Width(), Picture->Height()}, {40, 30});
        ReduceBoxFilter(*Picture, Fit.Width, Fit.Height);
    }
    TPictureSink Fitted(40, 30);
    Stream.SetPosition(0);
    Decode(Stream, Fitted);
}
