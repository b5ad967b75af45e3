#include "render/PictureSink.h"

#include <algorithm>
#include <climits>
#include <cstdint>
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
    FHeight = Shape.Height;
    FBitCount = Shape.BitCount;
    FColourCount = Shape.ColourCount;
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

namespace {

// The table entry nearest to mid-grey, by the sum of the channels' distances.
uint8_t NearestGrey(const uint32_t* Colours, int Count)
{
    int Best = 0, BestDistance = INT32_MAX;
    for (int I = 0; I < Count; ++I) {
        int Distance = 0;
        for (int Shift : {16, 8, 0}) {
            const int Channel = static_cast<int>(Colours[I] >> Shift & 0xFF) - 0x80;
            Distance += Channel < 0 ? -Channel : Channel;
        }
        if (Distance < BestDistance) {
            Best = I;
            BestDistance = Distance;
        }
    }
    return static_cast<uint8_t>(Best);
}

}

std::optional<TDecodedBitmap> TPictureSink::FinishCutShort() noexcept
{
    if ((FMode != TMode::Keep && FMode != TMode::Reduce) || FRowsPut == 0)
        return std::nullopt;
    const size_t Stride = FMode == TMode::Keep ? static_cast<size_t>(FBitmap.Stride()) : FRow.size();
    uint8_t Fill = 0x80;
    if (FBitCount <= 8) {
        const uint8_t Index = NearestGrey(FColours.data(), FColourCount);
        Fill = FBitCount == 8 ? Index : FBitCount == 4 ? static_cast<uint8_t>(Index * 0x11) : Index ? 0xFF : 0x00;
    }
    while (FRowsPut < FHeight) {
        uint8_t* Row = NextRow();
        std::memset(Row, Fill, Stride);
        if (FBitCount == 32)
            for (size_t X = 3; X < Stride; X += 4)
                Row[X] = 0;
        PutRow();
    }
    return Finish();
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
