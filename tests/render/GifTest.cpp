#include <gtest/gtest.h>

#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

const std::vector<uint32_t> Colours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x102030, 0xABCDEF, 0x55AA55};

TGifFrameSpec PatternFrame(int Left, int Top, int Width, int Height)
{
    TGifFrameSpec Frame;
    Frame.Left = Left;
    Frame.Top = Top;
    Frame.Width = Width;
    Frame.Height = Height;
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Frame.Pixels.push_back(static_cast<uint8_t>((X + 2 * Y) % 8));
    return Frame;
}

TEST(GifDecoder, OpaqueFullScreenFrameKeepsItsColourTable)
{
    for (bool Interlaced : {false, true}) {
        for (bool Local : {false, true}) {
            TGifSpec Spec;
            Spec.ScreenWidth = 9;
            Spec.ScreenHeight = 21;
            Spec.Frames = {PatternFrame(0, 0, 9, 21)};
            Spec.Frames[0].Interlaced = Interlaced;
            if (Local) {
                Spec.GlobalColours = {0xFFFFFF, 0xFFFFFF};
                Spec.Frames[0].LocalColours = Colours;
            } else {
                Spec.GlobalColours = Colours;
            }
            const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodeGif(Spec));
            ASSERT_TRUE(Bitmap);
            EXPECT_EQ(Bitmap->BitCount(), 8);
            EXPECT_EQ(Bitmap->Colors()[6], 0xABCDEFu);
            ASSERT_EQ(Bitmap->Width(), 9);
            ASSERT_EQ(Bitmap->Height(), 21);
            int Wrong = 0;
            for (int Y = 0; Y < 21; ++Y)
                for (int X = 0; X < 9; ++X)
                    Wrong += PixelAt(*Bitmap, X, Y) != Colours[static_cast<size_t>((X + 2 * Y) % 8)];
            EXPECT_EQ(Wrong, 0) << (Interlaced ? "interlaced" : "progressive") << (Local ? " local" : " global");
        }
    }
}

struct TComposeCase {
    const char* Name;
    int TransparentIndex;
    bool GlobalTable;
    int BackgroundIndex;
    uint32_t Fill;
};

TEST(GifDecoder, SmallerOrTransparentFramesAreDrawnOnTheScreen)
{
    const TComposeCase Cases[] = {
        {"opaque frame: white border", -1, true, 3, 0xFFFFFF},
        {"transparent frame: background colour", 2, true, 3, 0x0000FF},
        {"transparent frame without global table: window colour", 2, false, 3, 0xFFFFFF},
    };
    for (const TComposeCase& Case : Cases) {
        TGifSpec Spec;
        Spec.ScreenWidth = 20;
        Spec.ScreenHeight = 20;
        Spec.BackgroundIndex = Case.BackgroundIndex;
        Spec.Frames = {PatternFrame(5, 5, 10, 10)};
        Spec.Frames[0].TransparentIndex = Case.TransparentIndex;
        if (Case.GlobalTable)
            Spec.GlobalColours = Colours;
        else
            Spec.Frames[0].LocalColours = Colours;
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodeGif(Spec));
        ASSERT_TRUE(Bitmap) << Case.Name;
        EXPECT_EQ(Bitmap->BitCount(), DisplayFormatBitCount()) << Case.Name;
        ASSERT_EQ(Bitmap->Width(), 20);
        ASSERT_EQ(Bitmap->Height(), 20);
        int Wrong = 0;
        for (int Y = 0; Y < 20; ++Y) {
            for (int X = 0; X < 20; ++X) {
                const bool InFrame = X >= 5 && X < 15 && Y >= 5 && Y < 15;
                const int Index = (X - 5 + 2 * (Y - 5)) % 8;
                const uint32_t Want = !InFrame || Index == Case.TransparentIndex ? Case.Fill
                                                                                  : Colours[static_cast<size_t>(Index)];
                Wrong += PixelAt(*Bitmap, X, Y) != Want;
            }
        }
        EXPECT_EQ(Wrong, 0) << Case.Name;
    }
}

TEST(GifDecoder, FullScreenFrameWithTransparencyIsComposed)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 4;
    Spec.GlobalColours = Colours;
    Spec.BackgroundIndex = 6;
    Spec.Frames = {PatternFrame(0, 0, 4, 4)};
    Spec.Frames[0].TransparentIndex = 0;
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodeGif(Spec));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(Bitmap->BitCount(), DisplayFormatBitCount());
    EXPECT_EQ(PixelAt(*Bitmap, 0, 0), 0xABCDEFu);
    EXPECT_EQ(PixelAt(*Bitmap, 1, 0), 0xFF0000u);
}

TEST(GifDecoder, FramesOffTheScreenAreClipped)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 6;
    Spec.GlobalColours = Colours;
    Spec.Frames = {PatternFrame(4, 3, 8, 8)};
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodeGif(Spec));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 3, 3), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*Bitmap, 5, 5), Colours[(1 + 2 * 2) % 8]);
}

TEST(GifDecoder, OnlyTheFirstFrameCounts)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 8;
    Spec.GlobalColours = Colours;
    TGifFrameSpec Second = PatternFrame(0, 0, 8, 8);
    std::fill(Second.Pixels.begin(), Second.Pixels.end(), 1);
    Spec.Frames = {PatternFrame(0, 0, 8, 8), Second};
    TBytes Bytes = EncodeGif(Spec);
    std::optional<TDecodedBitmap> Bitmap = DecodeBytes(Bytes);
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 0, 0), Colours[0]);
    EXPECT_EQ(PixelAt(*Bitmap, 2, 0), Colours[2]);
    // The second frame is never read: damage in it changes nothing.
    Bytes.resize(Bytes.size() - 10);
    Bitmap = DecodeBytes(Bytes);
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 2, 0), Colours[2]);
}

TEST(GifDecoder, NoFramesGivesAnEmptyPicture)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 8;
    Spec.GlobalColours = Colours;
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodeGif(Spec));
    ASSERT_TRUE(Bitmap);
    EXPECT_TRUE(Bitmap->Empty());
}

TEST(GifDecoder, DamagedOrOversizedFilesGiveNoPicture)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 32;
    Spec.GlobalColours = Colours;
    Spec.Frames = {PatternFrame(0, 0, 32, 32)};
    const TBytes Good = EncodeGif(Spec);
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.end() - static_cast<ptrdiff_t>(Good.size() / 3))));
    EXPECT_FALSE(DecodeBytes(TBytes{'G', 'I', 'F'}));
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.begin() + 12)));

    // A frame without any colour table: its local table (after the image
    // descriptor's flags at byte 22) cut out and its flag cleared.
    TGifSpec Local = Spec;
    Local.GlobalColours.clear();
    Local.Frames[0].LocalColours = Colours;
    TBytes NoTable = EncodeGif(Local);
    ASSERT_EQ(NoTable[22] & 0x87, 0x82);
    NoTable[22] = 0;
    NoTable.erase(NoTable.begin() + 23, NoTable.begin() + 23 + 3 * 8);
    EXPECT_FALSE(DecodeBytes(NoTable));

    // Screen (bytes 6-9) and frame size patched to 65535 x 65535.
    TBytes Huge = Good;
    for (size_t I : {size_t{6}, size_t{7}, size_t{8}, size_t{9}})
        Huge[I] = 0xFF;
    EXPECT_FALSE(DecodeBytes(Huge));
}

}
