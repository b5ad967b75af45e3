#include "render/Thumbnail.h"

#include "render/CoverImage.h"
#include "render/PictureSink.h"

std::optional<TDecodedBitmap> MakeThumbnailBitmap(TStream& Stream, int32_t Width, int32_t Height, TCutShort CutShort)
{
    try {
        // The sink fits the picture into the box as its rows are decoded.
        TPictureSink Sink(Width, Height);
        std::optional<TDecodedBitmap> Bitmap = DecodeCoverImage(Stream, Width, Height, Sink, CutShort);
        if (!Bitmap || Bitmap->Empty())
            return std::nullopt;
        return Bitmap;
    } catch (...) {
        return std::nullopt;
    }
}

platform::TBitmapHandle MakeThumbnail(TStream& Stream, int32_t Width, int32_t Height, TCutShort CutShort)
{
    std::optional<TDecodedBitmap> Bitmap = MakeThumbnailBitmap(Stream, Width, Height, CutShort);
    return Bitmap ? Bitmap->Detach() : nullptr;
}
