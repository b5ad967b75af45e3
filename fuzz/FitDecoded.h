#pragma once

#include <optional>

#include "core/Stream.h"
#include "fuzz/Outcome.h"
#include "render/BoxFilter.h"
#include "render/DecodedBitmap.h"
#include "render/FitSize.h"
#include "render/PictureSink.h"

// Decodes with Decode(Stream, Sink) twice: for a screen-sized box, where a
// picture that fits is kept whole and then reduced from the whole picture,
// and shrunk as MakeThumbnail would for a 40 x 30 box, so that every fuzzed
// decoder feeds the reduction both row by row and from a whole picture.
// A host never asks for a box larger than its screen: an unbounded one would
// spend the run's time holding pictures of 64 megapixels that no request
// holds.
template <typename TDecode>
void FitDecoded(TStream& Stream, TDecode Decode)
{
    TPictureSink Whole(4096, 4096);
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
