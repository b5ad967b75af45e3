#include <gtest/gtest.h>

#include <cmath>

#include <zlib.h>

#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

// A picture whose sample I of pixel (X, Y) is (X + 3Y + 7I) mod 2^depth.
TPngSpec Pattern(int ColourType, int BitDepth, int32_t Width = 13, int32_t Height = 11)
{
    TPngSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.ColourType = ColourType;
    Spec.BitDepth = BitDepth;
    const int Channels = PngChannels(ColourType);
    const uint32_t Levels = 1u << BitDepth;
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X)
            for (int I = 0; I < Channels; ++I)
                Spec.Samples.push_back(static_cast<uint16_t>((X + 3 * Y + 7 * I) * 37u % Levels));
    if (ColourType == 3)
        for (uint32_t I = 0; I < Levels; ++I)
            Spec.Palette.push_back(I * 0x010203u % 0x1000000u);
    return Spec;
}

// The colour a pixel of Pattern should show (no gamma).
uint32_t Expected(const TPngSpec& Spec, int32_t X, int32_t Y)
{
    const int Channels = PngChannels(Spec.ColourType);
    const uint16_t* S = &Spec.Samples[(static_cast<size_t>(Y) * Spec.Width + X) * Channels];
    auto Byte = [&](uint16_t V) -> uint32_t {
        if (Spec.BitDepth == 16)
            return V >> 8;
        if (Spec.BitDepth == 8)
            return V;
        return V * 255u / ((1u << Spec.BitDepth) - 1);
    };
    switch (Spec.ColourType) {
    case 3: return Spec.Palette[S[0]];
    case 2:
    case 6: return Byte(S[0]) << 16 | Byte(S[1]) << 8 | Byte(S[2]);
    default: return Byte(S[0]) * 0x010101u;
    }
}

struct TFormatCase {
    int ColourType, BitDepth;
    int BitCount;
};

TEST(PngDecoder, EveryColourTypeAndDepthWithItsBitmapFormat)
{
    const TFormatCase Cases[] = {
        {0, 1, 1},  {0, 2, 4},  {0, 4, 4},  {0, 8, 24}, {0, 16, 24}, {3, 1, 1},  {3, 2, 4},  {3, 4, 4},
        {3, 8, 8},  {2, 8, 24}, {2, 16, 24}, {4, 8, 24}, {4, 16, 24}, {6, 8, 24}, {6, 16, 24},
    };
    for (const TFormatCase& Case : Cases) {
        for (bool Interlaced : {false, true}) {
            TPngSpec Spec = Pattern(Case.ColourType, Case.BitDepth);
            Spec.Interlaced = Interlaced;
            const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodePng(Spec));
            const std::string Name = "type " + std::to_string(Case.ColourType) + " depth " +
                                     std::to_string(Case.BitDepth) + (Interlaced ? " interlaced" : "");
            ASSERT_TRUE(Bitmap) << Name;
            EXPECT_EQ(Bitmap->BitCount(), Case.BitCount) << Name;
            ASSERT_EQ(Bitmap->Width(), Spec.Width) << Name;
            ASSERT_EQ(Bitmap->Height(), Spec.Height) << Name;
            int Wrong = 0;
            for (int32_t Y = 0; Y < Spec.Height; ++Y)
                for (int32_t X = 0; X < Spec.Width; ++X)
                    Wrong += PixelAt(*Bitmap, X, Y) != Expected(Spec, X, Y);
            EXPECT_EQ(Wrong, 0) << Name;
        }
    }
}

TEST(PngDecoder, TransparencyIsRemoved)
{
    TPngSpec Rgba;
    Rgba.Width = Rgba.Height = 2;
    Rgba.ColourType = 6;
    Rgba.Samples = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 10, 20, 30, 128};
    std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodePng(Rgba));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(*Bitmap, 1, 1), 0x0A141Eu);

    TPngSpec GreyAlpha;
    GreyAlpha.Width = 2;
    GreyAlpha.Height = 1;
    GreyAlpha.ColourType = 4;
    GreyAlpha.Samples = {90, 0, 200, 255};
    Bitmap = DecodeBytes(EncodePng(GreyAlpha));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 0, 0), 0x5A5A5Au);

    TPngSpec Palette = Pattern(3, 8, 4, 1);
    Palette.Samples = {0, 1, 2, 3};
    Palette.Palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    Palette.PaletteAlpha = {0, 0, 128};
    Bitmap = DecodeBytes(EncodePng(Palette));
    ASSERT_TRUE(Bitmap);
    ASSERT_EQ(Bitmap->BitCount(), 8);
    for (int32_t X = 0; X < 4; ++X)
        EXPECT_EQ(PixelAt(*Bitmap, X, 0), Palette.Palette[static_cast<size_t>(X)]);

    TPngSpec KeyGrey = Pattern(0, 8, 3, 1);
    KeyGrey.Samples = {7, 8, 9};
    KeyGrey.KeyGrey = 8;
    Bitmap = DecodeBytes(EncodePng(KeyGrey));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(PixelAt(*Bitmap, 1, 0), 0x080808u);
}

uint32_t GammaMapped(uint32_t V, uint32_t Gamma)
{
    return static_cast<uint32_t>(std::lround(255.0 * std::pow(V / 255.0, 1.0 / (Gamma / 100000.0 * 2.2))));
}

TEST(PngDecoder, GammaMapsColoursAndPaletteButNotGrey)
{
    for (uint32_t Gamma : {100000u, 45455u, 20000u}) {
        TPngSpec Rgb = Pattern(2, 8, 3, 1);
        Rgb.Samples = {128, 64, 0, 255, 1, 200, 30, 30, 30};
        Rgb.Gamma = Gamma;
        std::optional<TDecodedBitmap> Bitmap = DecodeBytes(EncodePng(Rgb));
        ASSERT_TRUE(Bitmap);
        for (int32_t X = 0; X < 3; ++X) {
            const uint16_t* S = &Rgb.Samples[static_cast<size_t>(X) * 3];
            EXPECT_EQ(PixelAt(*Bitmap, X, 0),
                      GammaMapped(S[0], Gamma) << 16 | GammaMapped(S[1], Gamma) << 8 | GammaMapped(S[2], Gamma))
                << "gamma " << Gamma;
        }

        TPngSpec Palette = Pattern(3, 8, 1, 1);
        Palette.Samples = {0};
        Palette.Palette = {0x804000};
        Palette.Gamma = Gamma;
        Bitmap = DecodeBytes(EncodePng(Palette));
        ASSERT_TRUE(Bitmap);
        EXPECT_EQ(PixelAt(*Bitmap, 0, 0), GammaMapped(0x80, Gamma) << 16 | GammaMapped(0x40, Gamma) << 8);

        for (int Depth : {2, 8}) {
            TPngSpec Grey = Pattern(0, Depth, 2, 1);
            Grey.Samples = {1, 2};
            Grey.Gamma = Gamma;
            Bitmap = DecodeBytes(EncodePng(Grey));
            ASSERT_TRUE(Bitmap);
            EXPECT_EQ(PixelAt(*Bitmap, 1, 0), Expected(Grey, 1, 0)) << "grey depth " << Depth;
        }
    }
    // 100000 maps 128 to 255 * (128/255)^(1/2.2) = 186.1.
    EXPECT_EQ(GammaMapped(128, 100000), 186u);
}

TEST(PngDecoder, DamagedFilesGiveNoPicture)
{
    const TBytes Good = EncodePng(Pattern(2, 8, 40, 40));
    ASSERT_TRUE(DecodeBytes(Good));
    TBytes BadCrc = Good;
    BadCrc[29] ^= 0xFF; // the IHDR checksum
    EXPECT_FALSE(DecodeBytes(BadCrc));
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.begin() + static_cast<ptrdiff_t>(Good.size() / 2))));
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.begin() + 20)));
}

TEST(PngDecoder, RefusesPicturesAboveTheSizeLimit)
{
    // IHDR (at byte 16: width, height) patched to claim 10000 x 10000,
    // with its checksum over type and data recomputed.
    TBytes Bytes = EncodePng(Pattern(0, 1, 8, 8));
    for (int I : {16, 20}) {
        Bytes[static_cast<size_t>(I) + 2] = 0x27;
        Bytes[static_cast<size_t>(I) + 3] = 0x10;
    }
    const uLong Crc = crc32(0, Bytes.data() + 12, 17);
    for (int I = 0; I < 4; ++I)
        Bytes[29 + static_cast<size_t>(I)] = static_cast<uint8_t>(Crc >> (24 - 8 * I));
    EXPECT_FALSE(DecodeBytes(Bytes));
}

// A chunk with a wrong checksum: damaged data.
TBytes WithDamagedChunkBeforeTheEnd(TBytes Png, size_t Size)
{
    TBytes Chunk;
    AppendPngChunk(Chunk, "IDAT", TBytes(Size, 0xA5));
    Chunk.back() ^= 0xFF;
    // IEND is the last 12 bytes.
    Png.insert(Png.end() - 12, Chunk.begin(), Chunk.end());
    return Png;
}

struct TTrailCase {
    const char* Name;
    TBytes Bytes;
    bool Decoded;
};

// Once the last row is in, what follows is neither read nor held against
// the picture: more compressed data (a few bytes may inflate to gigabytes),
// damaged chunks.
TEST(PngDecoder, NothingAfterTheLastRowCounts)
{
    const TBytes Rows = ZeroPng(64, 48);
    const TTrailCase Cases[] = {
        {"a damaged chunk after the rows", WithDamagedChunkBeforeTheEnd(Rows, 100), true},
        {"1 GiB more in the stream, then a damaged chunk",
         WithDamagedChunkBeforeTheEnd(ZeroPng(64, 48, 0, 8, false, uint64_t{1} << 30), 200000), true},
        {"interlaced, 1 GiB more, then a damaged chunk",
         WithDamagedChunkBeforeTheEnd(ZeroPng(64, 48, 0, 8, true, uint64_t{1} << 30), 100), true},
        {"rows cut short", TBytes(Rows.begin(), Rows.begin() + 60), false},
    };
    for (const TTrailCase& Case : Cases) {
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(Case.Bytes, 96, 96);
        ASSERT_EQ(Bitmap.has_value(), Case.Decoded) << Case.Name;
        if (Bitmap) {
            EXPECT_EQ(Bitmap->Width(), 64) << Case.Name;
            EXPECT_EQ(PixelAt(*Bitmap, 63, 47), 0u) << Case.Name;
        }
    }
}

}
