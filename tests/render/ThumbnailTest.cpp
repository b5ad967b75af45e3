#include <gtest/gtest.h>

#include "core/MemoryStream.h"
#include "platform/Dib.h"
#include "render/FitSize.h"
#include "render/Thumbnail.h"
#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

struct TFitCase {
    TFitSize Picture, Box, Fit;
};

TEST(FitSizeInBox, OrientationFirstThenOverflow)
{
    const TFitCase Cases[] = {
        {{800, 600}, {96, 96}, {96, 72}},    {{600, 800}, {96, 96}, {72, 96}},   {{1000, 1000}, {96, 96}, {96, 96}},
        {{1000, 333}, {96, 96}, {96, 31}},   {{97, 50}, {96, 96}, {96, 49}},     {{50, 200}, {96, 96}, {24, 96}},
        {{200, 50}, {96, 96}, {96, 24}},     {{300, 100}, {100, 20}, {60, 20}},  {{1000, 2}, {96, 96}, {96, 0}},
        {{100, 300}, {20, 100}, {20, 60}},   {{96, 96}, {96, 96}, {96, 96}},     {{0, 50}, {96, 96}, {0, 50}},
        {{50, -3}, {96, 96}, {50, -3}},      {{200, 100}, {0, 0}, {0, 0}},
        // 64-bit evaluation: 96 * (5 / 120) = 4.0000000000000001 cuts to 4;
        // x87 80-bit intermediates would give 3.
        {{5, 120}, {96, 96}, {4, 96}},
    };
    for (const TFitCase& Case : Cases)
        EXPECT_EQ(FitSizeInBox(Case.Picture, Case.Box), Case.Fit)
            << Case.Picture.Width << "x" << Case.Picture.Height << " in " << Case.Box.Width << "x" << Case.Box.Height;
}

TBytes Gif(int32_t Width, int32_t Height)
{
    return GifOf(Width, Height, {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF},
                 [Width](int32_t X, int32_t Y) { return static_cast<uint32_t>(Y * Width + X) % 4; });
}

TBytes Jpeg(int32_t Width, int32_t Height)
{
    return JpegOf(Width, Height, [](int32_t X, int32_t Y, uint8_t* C) {
        C[0] = static_cast<uint8_t>(X), C[1] = static_cast<uint8_t>(Y), C[2] = 128;
    });
}

std::optional<TDecodedBitmap> Thumbnail(const TBytes& Bytes, int32_t Width, int32_t Height)
{
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    return MakeThumbnailBitmap(Stream, Width, Height);
}

struct TThumbnailCase {
    const char* Name;
    TBytes Bytes;
    int32_t BoxWidth, BoxHeight;
    bool Made;
    int32_t Width, Height;
    int BitCount;
};

TEST(MakeThumbnail, FitsShrinksOrGivesNothing)
{
    const TBytes SmallGif = Gif(96, 72);
    const TThumbnailCase Cases[] = {
        {"fits: unchanged, 8-bit", SmallGif, 96, 96, true, 96, 72, 8},
        {"exactly the box", SmallGif, 96, 72, true, 96, 72, 8},
        {"larger: 24-bit at the fitted size", SmallGif, 48, 48, true, 48, 36, 24},
        {"97 x 50 in 96 x 96", Gif(97, 50), 96, 96, true, 96, 49, 24},
        {"elongated: a side of 0", Gif(1000, 2), 96, 96, false, 0, 0, 0},
        {"box of 0 x 0", SmallGif, 0, 0, false, 0, 0, 0},
        {"negative box", SmallGif, -5, 96, false, 0, 0, 0},
        {"1600 x 1200 JPEG in 96 x 96: 1/8 then shrunk", Jpeg(1600, 1200), 96, 96, true, 96, 72, 24},
        {"JPEG that fits stays 24-bit", Jpeg(90, 60), 96, 96, true, 90, 60, 24},
        {"not a picture", TBytes{'B', 'M'}, 96, 96, false, 0, 0, 0},
        {"empty", TBytes{}, 96, 96, false, 0, 0, 0},
    };
    for (const TThumbnailCase& Case : Cases) {
        const std::optional<TDecodedBitmap> Bitmap = Thumbnail(Case.Bytes, Case.BoxWidth, Case.BoxHeight);
        ASSERT_EQ(Bitmap.has_value(), Case.Made) << Case.Name;
        if (!Bitmap)
            continue;
        EXPECT_EQ(Bitmap->Width(), Case.Width) << Case.Name;
        EXPECT_EQ(Bitmap->Height(), Case.Height) << Case.Name;
        EXPECT_EQ(Bitmap->BitCount(), Case.BitCount) << Case.Name;
    }
}

TEST(MakeThumbnail, GifWithoutFramesGivesNoBitmap)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 10;
    Spec.GlobalColours = {0, 0xFFFFFF};
    EXPECT_FALSE(Thumbnail(EncodeGif(Spec), 96, 96));
}

TEST(MakeThumbnail, ReturnsAHandleTheCallerOwns)
{
    const TBytes Bytes = Gif(20, 10);
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    platform::TBitmapHandle Fitted = MakeThumbnail(Stream, 96, 96);
    EXPECT_NE(Fitted, nullptr);
    platform::DeleteDib(Fitted);
    Stream.SetPosition(0);
    platform::TBitmapHandle Shrunk = MakeThumbnail(Stream, 8, 8);
    EXPECT_NE(Shrunk, nullptr);
    platform::DeleteDib(Shrunk);
    Stream.SetPosition(0);
    EXPECT_EQ(MakeThumbnail(Stream, 0, 0), nullptr);
}

}
