#include <gtest/gtest.h>

#include <png.h>

#include <random>

#include "host/BitmapFiles.h"

namespace {

TBitmapData Make(int32_t Width, int32_t Height, int BitCount)
{
    TBitmapData Bitmap;
    Bitmap.Width = Width;
    Bitmap.Height = Height;
    Bitmap.BitCount = BitCount;
    Bitmap.Bits.assign(platform::DibStride(Width, BitCount) * static_cast<size_t>(Height), 0);
    return Bitmap;
}

TEST(BitmapFiles, PixelsAreReadTopDownFromBottomUpRows)
{
    TBitmapData Bitmap = Make(2, 2, 24);
    // The last row in memory is the top row of the picture.
    const size_t Stride = platform::DibStride(2, 24);
    Bitmap.Bits[Stride + 0] = 0x30; // top-left blue
    Bitmap.Bits[Stride + 1] = 0x20;
    Bitmap.Bits[Stride + 2] = 0x10; // red
    EXPECT_EQ(PixelRGB(Bitmap, 0, 0), 0x102030u);
    EXPECT_EQ(PixelRGB(Bitmap, 0, 1), 0u);
}

TEST(BitmapFiles, PaletteFormatsUseTheirTable)
{
    TBitmapData One = Make(9, 1, 1);
    One.ColorTable = {0x000000, 0xFFFFFF};
    One.Bits[1] = 0x80; // pixel 8
    EXPECT_EQ(PixelRGB(One, 8, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelRGB(One, 7, 0), 0u);

    TBitmapData Four = Make(3, 1, 4);
    Four.ColorTable.assign(16, 0);
    Four.ColorTable[5] = 0x123456;
    Four.Bits[1] = 0x50; // pixel 2: high nibble
    EXPECT_EQ(PixelRGB(Four, 2, 0), 0x123456u);

    TBitmapData Eight = Make(1, 1, 8);
    Eight.ColorTable = {0x111111};
    Eight.Bits[0] = 200; // outside the table: black, not out of bounds
    EXPECT_EQ(PixelRGB(Eight, 0, 0), 0u);
}

TEST(BitmapFiles, BmpKeepsDepthAndColourTable)
{
    TBitmapData Bitmap = Make(3, 2, 8);
    Bitmap.ColorTable = {0x000000, 0xFF0000, 0x00FF00};
    const std::vector<uint8_t> File = EncodeBmp(Bitmap);
    ASSERT_EQ(File.size(), 14u + 40u + 12u + Bitmap.Bits.size());
    EXPECT_EQ(File[0], 'B');
    EXPECT_EQ(File[28], 8);        // bits per pixel
    EXPECT_EQ(File[46], 3);        // colours used
    EXPECT_EQ(File[10], 14 + 40 + 12); // pixel data offset
    EXPECT_EQ(File[54 + 4 + 2], 0xFF);  // second entry, red byte
}

// A module's rows read where they lie make the same files as a copy of them.
TEST(BitmapFiles, RowsInPlaceWriteAsACopy)
{
    std::mt19937 Random(3);
    for (const int BitCount : {1, 8, 24, 32}) {
        TBitmapData Copy = Make(13, 5, BitCount);
        Copy.ColorTable = {0x102030, 0xFFEEDD};
        for (uint8_t& Byte : Copy.Bits)
            Byte = static_cast<uint8_t>(Random());
        TBitmapData InPlace = Make(13, 5, BitCount);
        InPlace.ColorTable = Copy.ColorTable;
        InPlace.Bits.clear();
        InPlace.Rows = Copy.Bits.data();
        EXPECT_EQ(EncodePng(InPlace), EncodePng(Copy)) << BitCount;
        EXPECT_EQ(EncodeBmp(InPlace), EncodeBmp(Copy)) << BitCount;
    }
}

TEST(BitmapFiles, PngIsAnRgbPng)
{
    const std::vector<uint8_t> File = EncodePng(Make(5, 3, 32));
    ASSERT_GT(File.size(), 33u);
    EXPECT_EQ(std::string(File.begin() + 1, File.begin() + 4), "PNG");
    EXPECT_EQ(File[16 + 3], 5);  // width
    EXPECT_EQ(File[20 + 3], 3);  // height
    EXPECT_EQ(File[24], 8);      // bit depth
    EXPECT_EQ(File[25], 2);      // colour type RGB
}

// Whatever the writer's compression settings, the file holds the bitmap's
// pixels: smooth and noisy rows, odd widths, both depths.
TEST(BitmapFiles, PngHoldsTheBitmapsPixels)
{
    std::mt19937 Random(5);
    for (const int BitCount : {24, 32}) {
        for (const int32_t Width : {1, 37, 256}) {
            TBitmapData Bitmap = Make(Width, 23, BitCount);
            for (size_t I = 0; I < Bitmap.Bits.size(); ++I)
                Bitmap.Bits[I] = static_cast<uint8_t>(I % 7 == 0 ? Random() : I / 3);
            const std::vector<uint8_t> File = EncodePng(Bitmap);

            png_image Image{};
            Image.version = PNG_IMAGE_VERSION;
            ASSERT_TRUE(png_image_begin_read_from_memory(&Image, File.data(), File.size()));
            Image.format = PNG_FORMAT_RGB;
            std::vector<uint8_t> Pixels(PNG_IMAGE_SIZE(Image));
            ASSERT_TRUE(png_image_finish_read(&Image, nullptr, Pixels.data(), 0, nullptr));
            ASSERT_EQ(Image.width, static_cast<uint32_t>(Width));
            for (int32_t Y = 0; Y < 23; ++Y)
                for (int32_t X = 0; X < Width; ++X) {
                    const uint8_t* P = &Pixels[(static_cast<size_t>(Y) * Width + X) * 3];
                    ASSERT_EQ(static_cast<uint32_t>(P[0] << 16 | P[1] << 8 | P[2]), PixelRGB(Bitmap, X, Y))
                        << BitCount << " bits, " << Width << " wide, at " << X << "," << Y;
                }
        }
    }
}

}
