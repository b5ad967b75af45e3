#include "render/PictureSink.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "render/FitSize.h"

bool TPictureSink::ToShrink(int32_t Width, int32_t Height) const
{
    return FBoxed && (Width > FBoxWidth || Height > FBoxHeight);
}

bool TPictureSink::Accepts(int32_t Width, int32_t Height, int BitCount) const noexcept
{
    if (!PictureSizeAllowed(Width, Height, BitCount))
        return false;
    if (!ToShrink(Width, Height))
        return true;
    // A side below 1 (a very elongated picture, a box side of 0 or less)
    // leaves nothing to make a bitmap of; the fit never exceeds the picture.
    const TFitSize Fit = FitSizeInBox({Width, Height}, {FBoxWidth, FBoxHeight});
    return Fit.Width >= 1 && Fit.Height >= 1 && Fit.Width <= Width && Fit.Height <= Height;
}

bool TPictureSink::Takes(const TPictureShape& Shape) const
{
    const int MaxColours = Shape.BitCount <= 8 ? 1 << Shape.BitCount : 0;
    return Accepts(Shape.Width, Shape.Height, Shape.BitCount) && Shape.ColourCount >= 0 &&
           Shape.ColourCount <= MaxColours && (Shape.Colours || Shape.ColourCount == 0);
}

bool TPictureSink::Allocate(TDecodedBitmap& Bitmap, int32_t Width, int32_t Height, int BitCount,
                            int ColourCount) noexcept
{
    if (!Bitmap.Allocate(Width, Height, BitCount, FColours.data(), ColourCount))
        return false;
    FPeakBytes += uint64_t{Bitmap.Stride()} * static_cast<uint64_t>(Height);
    return true;
}

bool TPictureSink::StartReduction(const TPictureShape& Shape, bool BottomUp) noexcept
{
    const TFitSize Fit = FitSizeInBox({Shape.Width, Shape.Height}, {FBoxWidth, FBoxHeight});
    if (!Allocate(FBitmap, Fit.Width, Fit.Height, 24, 0))
        return false;
    try {
        return FReducer.Start(Shape.Width, Shape.Height, Shape.BitCount, FColours.data(), FBitmap, BottomUp);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TPictureSink::StartKept(const TPictureShape& Shape) noexcept
{
    if (!Allocate(FBitmap, Shape.Width, Shape.Height, Shape.BitCount, Shape.ColourCount))
        return false;
    FMode = TMode::Keep;
    return true;
}

bool TPictureSink::Start(const TPictureShape& Shape, TRowOrder Order) noexcept
{
    if (FMode != TMode::None || !Takes(Shape))
        return false;
    std::copy_n(Shape.Colours, Shape.ColourCount, FColours.begin());
    FBottomUp = Order == TRowOrder::BottomUp;
    if (!ToShrink(Shape.Width, Shape.Height))
        return StartKept(Shape);
    const uint64_t Stride = platform::DibStride(Shape.Width, Shape.BitCount);
    try {
        FRow.assign(static_cast<size_t>(Stride), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    FPeakBytes += Stride;
    if (!StartReduction(Shape, FBottomUp))
        return false;
    FMode = TMode::Reduce;
    return true;
}

TDecodedBitmap* TPictureSink::StartHeld(const TPictureShape& Shape) noexcept
{
    if (FMode != TMode::None || !Takes(Shape))
        return nullptr;
    std::copy_n(Shape.Colours, Shape.ColourCount, FColours.begin());
    if (!ToShrink(Shape.Width, Shape.Height))
        return StartKept(Shape) ? &FBitmap : nullptr;
    if (static_cast<uint64_t>(Shape.Width) * static_cast<uint64_t>(Shape.Height) > Limits::HeldPixels ||
        !Allocate(FHeld, Shape.Width, Shape.Height, Shape.BitCount, Shape.ColourCount) ||
        !StartReduction(Shape, false))
        return nullptr;
    FMode = TMode::HoldAndReduce;
    return &FHeld;
}

uint8_t* TPictureSink::NextRow() noexcept
{
    if (FMode == TMode::Keep) {
        const int32_t Height = FBitmap.Height();
        return FRowsPut < Height ? FBitmap.Row(FBottomUp ? Height - 1 - FRowsPut : FRowsPut) : nullptr;
    }
    if (FMode != TMode::Reduce)
        return nullptr;
    std::memset(FRow.data(), 0, FRow.size());
    return FRow.data();
}

void TPictureSink::PutRow() noexcept
{
    if (FMode == TMode::Reduce)
        FReducer.AddRow(FRow.data());
    ++FRowsPut;
}

std::optional<TDecodedBitmap> TPictureSink::Finish() noexcept
{
    switch (FMode) {
    case TMode::None:
        return std::nullopt;
    case TMode::Keep:
        break;
    case TMode::Reduce:
        std::memset(FRow.data(), 0, FRow.size());
        while (FReducer.RowsAdded() < FReducer.SourceHeight())
            FReducer.AddRow(FRow.data());
        break;
    case TMode::HoldAndReduce:
        for (int32_t Y = 0; Y < FHeld.Height(); ++Y)
            FReducer.AddRow(FHeld.Row(Y));
        break;
    }
    FMode = TMode::None;
    return std::move(FBitmap);
}
