#include "render/Thumbnail.h"

#include "render/BoxFilter.h"
#include "render/CoverImage.h"
#include "render/FitSize.h"

std::optional<TDecodedBitmap> MakeThumbnailBitmap(TStream& Stream, int32_t Width, int32_t Height)
{
    try {
        std::optional<TDecodedBitmap> Picture = DecodeCoverImage(Stream, Width, Height);
        if (!Picture || Picture->Empty())
            return std::nullopt;
        if (Picture->Width() <= Width && Picture->Height() <= Height)
            return Picture;
        const TFitSize Fit = FitSizeInBox({Picture->Width(), Picture->Height()}, {Width, Height});
        // A side below 1 (a very elongated picture, a box side of 0 or less)
        // leaves nothing to make a bitmap of.
        if (Fit.Width < 1 || Fit.Height < 1)
            return std::nullopt;
        return ReduceBoxFilter(*Picture, Fit.Width, Fit.Height);
    } catch (...) {
        return std::nullopt;
    }
}

platform::TBitmapHandle MakeThumbnail(TStream& Stream, int32_t Width, int32_t Height)
{
    std::optional<TDecodedBitmap> Bitmap = MakeThumbnailBitmap(Stream, Width, Height);
    return Bitmap ? Bitmap->Detach() : nullptr;
}
