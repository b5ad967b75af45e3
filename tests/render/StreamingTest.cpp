// Pictures decoded row by row into the thumbnail: the same pixels as the
// whole picture reduced, and no more held than the thumbnail and one row.
#include <gtest/gtest.h>

#include <cstring>

#include "core/MemoryStream.h"
#include "platform/Dib.h"
#include "render/BoxFilter.h"
#include "render/CoverImage.h"
#include "render/FitSize.h"
#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

uint32_t Noise(int32_t X, int32_t Y)
{
    uint32_t H = static_cast<uint32_t>(X) * 73856093u ^ static_cast<uint32_t>(Y) * 19349663u;
    H ^= H >> 13;
    return H * 0x5BD1E995u >> 8;
}

std::vector<uint32_t> Table(size_t Count)
{
    std::vector<uint32_t> Colours;
    for (size_t I = 0; I < Count; ++I)
        Colours.push_back(Noise(static_cast<int32_t>(I), 7) & 0xFFFFFF);
    return Colours;
}

TBytes Jpeg(int32_t Width, int32_t Height, int Components, bool Progressive = false, bool Arithmetic = false)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Components = Components;
    Spec.Progressive = Progressive;
    Spec.Arithmetic = Arithmetic;
    Spec.Sample = [Components](int32_t X, int32_t Y, uint8_t* C) {
        for (int I = 0; I < Components; ++I)
            C[I] = static_cast<uint8_t>(Noise(X / 3 + I, Y / 3) >> 4);
    };
    return EncodeJpeg(Spec);
}

TBytes Png(int ColourType, int BitDepth, bool Interlaced, int32_t Width = 151, int32_t Height = 97)
{
    TPngSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.ColourType = ColourType;
    Spec.BitDepth = BitDepth;
    Spec.Interlaced = Interlaced;
    const uint32_t Levels = 1u << BitDepth;
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X)
            for (int I = 0; I < PngChannels(ColourType); ++I)
                Spec.Samples.push_back(static_cast<uint16_t>(Noise(X + I, Y) % Levels));
    if (ColourType == 3)
        Spec.Palette = Table(Levels);
    if (ColourType == 2 || ColourType == 6)
        Spec.Gamma = 45455;
    return EncodePng(Spec);
}

TBytes Gif(int ScreenWidth, int ScreenHeight, int Left, int Top, int Width, int Height, bool Interlaced,
           int Transparent = -1)
{
    TGifSpec Spec;
    Spec.ScreenWidth = ScreenWidth;
    Spec.ScreenHeight = ScreenHeight;
    Spec.GlobalColours = Table(16);
    Spec.BackgroundIndex = 3;
    TGifFrameSpec Frame;
    Frame.Left = Left, Frame.Top = Top, Frame.Width = Width, Frame.Height = Height;
    Frame.Interlaced = Interlaced;
    Frame.TransparentIndex = Transparent;
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Frame.Pixels.push_back(static_cast<uint8_t>(Noise(X, Y) % 16));
    Spec.Frames = {Frame};
    return EncodeGif(Spec);
}

TBytes Bmp(int BitCount, int32_t Width, int32_t Height, uint32_t Compression = 0)
{
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = BitCount;
    Spec.Compression = Compression;
    if (BitCount <= 8)
        Spec.Colours = Table(size_t{1} << BitCount);
    if (Compression == 3)
        Spec.Masks[0] = 0x3FF00000, Spec.Masks[1] = 0x000FFC00, Spec.Masks[2] = 0x000003FF;
    const int32_t Rows = Height < 0 ? -Height : Height;
    Spec.Pixels = PackBmpRows(Width, Rows, BitCount, Height < 0, [&](int32_t X, int32_t Y) {
        return BitCount <= 8 ? Noise(X, Y) % (1u << BitCount) : Noise(X, Y);
    });
    return WriteBmp(Spec);
}

// RLE8 rows bottom-up: runs, a literal run, a delta over rows, an early end.
TBytes RleBmp(int BitCount)
{
    TBytes Data;
    for (uint8_t Row = 0; Row < 40; ++Row) {
        Data.insert(Data.end(), {static_cast<uint8_t>(3 + Row % 7), static_cast<uint8_t>(Row % 16 * 17)});
        Data.insert(Data.end(), {0, 4, 1, 0x23, 2, 0x31});
        if (Row == 20)
            Data.insert(Data.end(), {0, 2, 5, 9}); // 5 right, 9 up
        Data.insert(Data.end(), {200, 0x45, 0, 0});
    }
    TBmpSpec Spec;
    Spec.Width = 150;
    Spec.Height = 90;
    Spec.BitCount = BitCount;
    Spec.Compression = BitCount == 8 ? 1 : 2;
    Spec.Colours = Table(size_t{1} << BitCount);
    Spec.Pixels = Data;
    return WriteBmp(Spec);
}

struct TPictureCase {
    const char* Name;
    TBytes Bytes;
};

std::vector<TPictureCase> Pictures()
{
    TBytes Truncated = Bmp(24, 143, 101);
    Truncated.resize(Truncated.size() * 3 / 5);
    return {
        {"JPEG colour", Jpeg(211, 157, 3)},
        {"JPEG grey", Jpeg(130, 97, 1)},
        {"JPEG CMYK", Jpeg(99, 131, 4)},
        {"JPEG progressive", Jpeg(180, 120, 3, true)},
        {"JPEG arithmetic", Jpeg(170, 90, 3, false, true)},
        {"PNG grey 1-bit", Png(0, 1, false)},
        {"PNG grey 2-bit", Png(0, 2, false)},
        {"PNG palette 4-bit interlaced", Png(3, 4, true)},
        {"PNG palette 8-bit", Png(3, 8, false)},
        {"PNG grey 16-bit", Png(0, 16, false)},
        {"PNG grey and alpha interlaced", Png(4, 8, true)},
        {"PNG RGB 16-bit with gamma", Png(2, 16, false)},
        {"PNG RGBA interlaced with gamma", Png(6, 8, true)},
        {"PNG grey 2-bit interlaced", Png(0, 2, true, 77, 61)},
        {"GIF whole-screen frame", Gif(150, 100, 0, 0, 150, 100, false)},
        {"GIF whole-screen frame interlaced", Gif(150, 100, 0, 0, 150, 100, true)},
        {"GIF frame on the screen", Gif(160, 120, 30, 20, 100, 60, false)},
        {"GIF frame on the screen interlaced", Gif(160, 120, 30, 20, 100, 60, true)},
        {"GIF transparent frame past the edges", Gif(120, 90, 70, 50, 100, 60, false, 5)},
        {"BMP 24-bit", Bmp(24, 143, 101)},
        {"BMP 8-bit top-down", Bmp(8, 97, -75)},
        {"BMP 1-bit", Bmp(1, 130, 70)},
        {"BMP 4-bit", Bmp(4, 81, 120)},
        {"BMP 16-bit", Bmp(16, 99, 88)},
        {"BMP 32-bit bit fields", Bmp(32, 120, 75, 3)},
        {"BMP RLE8", RleBmp(8)},
        {"BMP RLE4", RleBmp(4)},
        {"BMP 24-bit cut short", Truncated},
    };
}

std::optional<TDecodedBitmap> Thumbnail(const TBytes& Bytes, int32_t Width, int32_t Height, TPictureSink& Sink)
{
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    return DecodeCoverImage(Stream, Width, Height, Sink);
}

// The thumbnail as it was made before rows were streamed: the whole picture
// decoded, kept when it fits the box, else reduced to the fitted size.
std::optional<TDecodedBitmap> WholeThenReduced(const TBytes& Bytes, int32_t Width, int32_t Height)
{
    std::optional<TDecodedBitmap> Picture = DecodeBytes(Bytes, Width, Height);
    if (!Picture || Picture->Empty() || (Picture->Width() <= Width && Picture->Height() <= Height))
        return Picture;
    const TFitSize Fit = FitSizeInBox({Picture->Width(), Picture->Height()}, {Width, Height});
    return ReduceBoxFilter(*Picture, Fit.Width, Fit.Height);
}

// Differences in size, format, colour table or the pixel bytes of any row.
int Differences(const TDecodedBitmap& A, const TDecodedBitmap& B)
{
    if (A.Width() != B.Width() || A.Height() != B.Height() || A.BitCount() != B.BitCount() ||
        A.ColorCount() != B.ColorCount() || A.Colors() != B.Colors())
        return -1;
    const size_t RowBytes = (static_cast<size_t>(A.Width()) * static_cast<size_t>(A.BitCount()) + 7) / 8;
    int Rows = 0;
    for (int32_t Y = 0; Y < A.Height(); ++Y)
        Rows += std::memcmp(A.Row(Y), B.Row(Y), RowBytes) != 0;
    return Rows;
}

TEST(StreamedThumbnail, SamePixelsAsTheWholePictureReduced)
{
    for (const TPictureCase& Picture : Pictures())
        for (auto [Width, Height] : {std::pair{40, 30}, {23, 200}, {300, 9}, {1000, 1000}}) {
            TPictureSink Sink(Width, Height);
            const std::optional<TDecodedBitmap> Streamed = Thumbnail(Picture.Bytes, Width, Height, Sink);
            const std::optional<TDecodedBitmap> Reference = WholeThenReduced(Picture.Bytes, Width, Height);
            ASSERT_TRUE(Reference) << Picture.Name << " in " << Width << "x" << Height;
            ASSERT_TRUE(Streamed) << Picture.Name << " in " << Width << "x" << Height;
            EXPECT_EQ(Differences(*Streamed, *Reference), 0) << Picture.Name << " in " << Width << "x" << Height;
        }
}

uint64_t BitmapBytes(int32_t Width, int32_t Height, int BitCount)
{
    return uint64_t{platform::DibStride(Width, BitCount)} * static_cast<uint64_t>(Height);
}

struct TPeakCase {
    const char* Name;
    TBytes Bytes;
    uint64_t Peak;
};

TEST(StreamedThumbnail, HoldsTheThumbnailAndOneRow)
{
    const uint64_t Thumbnail96x72 = BitmapBytes(96, 72, 24);
    const int Display = DisplayFormatBitCount();
    const TPeakCase Cases[] = {
        {"BMP 24-bit", Bmp(24, 1200, 900), BitmapBytes(1200, 1, 24) + Thumbnail96x72},
        {"BMP RLE8, 150 x 90", RleBmp(8), BitmapBytes(150, 1, Display) + BitmapBytes(96, 57, 24)},
        {"PNG RGB", ZeroPng(1200, 900, 2), BitmapBytes(1200, 1, 24) + Thumbnail96x72},
        {"PNG 1-bit", ZeroPng(1200, 900, 0, 1), BitmapBytes(1200, 1, 1) + Thumbnail96x72},
        // Decoded at 1/8: 200 x 150.
        {"JPEG 1600 x 1200", Jpeg(1600, 1200, 3), BitmapBytes(200, 1, 24) + Thumbnail96x72},
        {"GIF whole-screen frame", Gif(1200, 900, 0, 0, 1200, 900, false), BitmapBytes(1200, 1, 8) + Thumbnail96x72},
        {"GIF screen around a frame", Gif(1200, 900, 10, 10, 1, 1, false), BitmapBytes(1200, 1, Display) + Thumbnail96x72},
        // Held whole: its rows come pass by pass.
        {"PNG interlaced", ZeroPng(1200, 900, 2, 8, true), BitmapBytes(1200, 900, 24) + Thumbnail96x72},
    };
    for (const TPeakCase& Case : Cases) {
        TPictureSink Sink(96, 96);
        ASSERT_TRUE(Thumbnail(Case.Bytes, 96, 96, Sink)) << Case.Name;
        EXPECT_EQ(Sink.PeakBytes(), Case.Peak) << Case.Name;
    }
}

TBytes WideBmpHeader(int32_t Width, int32_t Height)
{
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = 1;
    Spec.Colours = {0, 0xFFFFFF};
    return WriteBmp(Spec);
}

struct TRefusalCase {
    const char* Name;
    TBytes Bytes;
    int32_t Box;
    bool Made;
};

// The fit and the held-pixel budget are decided from the header: what they
// refuse is refused before any pixel is allocated.
TEST(StreamedThumbnail, RefusedFromTheHeaderBeforeAllocating)
{
    const TRefusalCase Cases[] = {
        {"BMP 1 x 67,108,864", WideBmpHeader(1, 64 << 20), 96, false},
        {"PNG 1,000,000 x 67", ZeroPng(1000000, 67), 96, false},
        {"GIF 1000 x 2", Gif(1000, 2, 0, 0, 1000, 2, false), 96, false},
        {"GIF 1000 x 2, box it fits", Gif(1000, 2, 0, 0, 1000, 2, false), 1000, true},
        {"JPEG 1000 x 8", Jpeg(1000, 8, 3), 96, false},
        // 4096 x 4096 is Limits::HeldPixels: held, then reduced.
        {"PNG interlaced at the budget", ZeroPng(4096, 4096, 0, 1, true), 96, true},
        {"PNG interlaced above the budget", ZeroPng(4097, 4096, 0, 1, true), 96, false},
        {"PNG interlaced above the budget, box it fits", ZeroPng(4097, 4096, 0, 1, true), 4097, true},
    };
    for (const TRefusalCase& Case : Cases) {
        TPictureSink Sink(Case.Box, Case.Box);
        EXPECT_EQ(Thumbnail(Case.Bytes, Case.Box, Case.Box, Sink).has_value(), Case.Made) << Case.Name;
        if (!Case.Made) {
            EXPECT_EQ(Sink.PeakBytes(), 0u) << Case.Name;
        }
    }
}

}
