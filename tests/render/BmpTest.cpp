#include <gtest/gtest.h>

#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

const std::vector<uint32_t> Palette16 = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                         0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                         0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::vector<uint32_t> PaletteOf(int BitCount)
{
    std::vector<uint32_t> Result;
    for (int I = 0; I < (1 << BitCount); ++I)
        Result.push_back(Palette16[static_cast<size_t>(I % 16)] ^ static_cast<uint32_t>(I));
    return Result;
}

uint32_t IndexAt(int32_t X, int32_t Y, int BitCount) { return static_cast<uint32_t>(X * 3 + Y * 5) % (1u << BitCount); }
uint32_t ColourAt(int32_t X, int32_t Y)
{
    return static_cast<uint32_t>(X * 19 % 256) << 16 | static_cast<uint32_t>(Y * 30 % 256) << 8 | 0x5A;
}

TBmpSpec Picture(int BitCount, int32_t Width, int32_t Height, TBmpHeader Header = TBmpHeader::Info40)
{
    TBmpSpec Spec;
    Spec.Header = Header;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = BitCount;
    const bool TopDown = Height < 0;
    const int32_t Rows = TopDown ? -Height : Height;
    if (BitCount <= 8) {
        Spec.Colours = PaletteOf(BitCount);
        Spec.Pixels = PackBmpRows(Width, Rows, BitCount, TopDown,
                                  [&](int32_t X, int32_t Y) { return IndexAt(X, Y, BitCount); });
    } else {
        Spec.Pixels = PackBmpRows(Width, Rows, BitCount, TopDown, [](int32_t X, int32_t Y) { return ColourAt(X, Y); });
    }
    return Spec;
}

int WrongPixels(const TDecodedBitmap& Bitmap, const TBmpSpec& Spec, int32_t FirstRow = 0)
{
    int Wrong = 0;
    for (int32_t Y = FirstRow; Y < Bitmap.Height(); ++Y)
        for (int32_t X = 0; X < Bitmap.Width(); ++X) {
            const uint32_t Want = Spec.BitCount <= 8 ? Spec.Colours[IndexAt(X, Y, Spec.BitCount)] : ColourAt(X, Y);
            Wrong += PixelAt(Bitmap, X, Y) != Want;
        }
    return Wrong;
}

struct TLayoutCase {
    int BitCount;
    int32_t Height;
    TBmpHeader Header;
};

TEST(BmpDecoder, UncompressedPixelsKeepTheirDepthAndColours)
{
    const TLayoutCase Cases[] = {
        {1, 7, TBmpHeader::Info40},  {4, 7, TBmpHeader::Info40},  {8, 7, TBmpHeader::Info40},
        {24, 7, TBmpHeader::Info40}, {32, 7, TBmpHeader::Info40}, {8, -7, TBmpHeader::Info40},
        {24, -7, TBmpHeader::V4},    {1, 7, TBmpHeader::Core12},  {8, 7, TBmpHeader::Core12},
        {24, 7, TBmpHeader::Core12}, {4, 7, TBmpHeader::V4},
    };
    for (const TLayoutCase& Case : Cases) {
        const TBmpSpec Spec = Picture(Case.BitCount, 13, Case.Height, Case.Header);
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(WriteBmp(Spec));
        const std::string Name = std::to_string(Case.BitCount) + " bits, height " + std::to_string(Case.Height) +
                                 ", header " + std::to_string(static_cast<int>(Case.Header));
        ASSERT_TRUE(Bitmap) << Name;
        EXPECT_EQ(Bitmap->BitCount(), Case.BitCount) << Name;
        EXPECT_EQ(Bitmap->Width(), 13) << Name;
        EXPECT_EQ(Bitmap->Height(), 7) << Name;
        EXPECT_EQ(WrongPixels(*Bitmap, Spec), 0) << Name;
    }
}

TEST(BmpDecoder, ColoursUsedLimitsTheTable)
{
    TBmpSpec Spec = Picture(8, 4, 4);
    Spec.Colours.resize(20);
    for (uint8_t& Index : Spec.Pixels)
        Index %= 20;
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(WriteBmp(Spec));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(Bitmap->ColorCount(), 20);
}

TEST(BmpDecoder, TruncatedPixelDataLeavesTheMissingRowsBlack)
{
    // Bottom-up: the data that remain are the bottom rows.
    TBmpSpec Spec = Picture(24, 10, 10);
    TBytes File = WriteBmp(Spec);
    File.resize(File.size() - Spec.Pixels.size() / 2);
    std::optional<TDecodedBitmap> Bitmap = DecodeBytes(File);
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(Bitmap->Width(), 10);
    EXPECT_EQ(Bitmap->Height(), 10);
    EXPECT_EQ(WrongPixels(*Bitmap, Spec, 5), 0);
    for (int32_t Y = 0; Y < 5; ++Y)
        for (int32_t X = 0; X < 10; ++X)
            EXPECT_EQ(PixelAt(*Bitmap, X, Y), 0u);

    // An image size field smaller than the rows limits what is read.
    Spec.ImageSize = static_cast<uint32_t>(Spec.Pixels.size() / 2);
    Bitmap = DecodeBytes(WriteBmp(Spec));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(WrongPixels(*Bitmap, Spec, 5), 0);
    EXPECT_EQ(PixelAt(*Bitmap, 3, 2), 0u);
}

struct TMaskCase {
    const char* Name;
    int BitCount;
    uint32_t Compression;
    uint32_t Masks[3];
    int TargetBits;
};

TEST(BmpDecoder, MaskedPixelsAreWidened)
{
    const TMaskCase Cases[] = {
        {"16-bit 5-5-5", 16, 0, {0x7C00, 0x03E0, 0x001F}, 24},
        {"16-bit 5-6-5 fields", 16, 3, {0xF800, 0x07E0, 0x001F}, 24},
        {"32-bit fields", 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, 32},
    };
    for (const TMaskCase& Case : Cases) {
        TBmpSpec Spec;
        Spec.Width = 3;
        Spec.Height = 1;
        Spec.BitCount = Case.BitCount;
        Spec.Compression = Case.Compression;
        std::copy(std::begin(Case.Masks), std::end(Case.Masks), Spec.Masks);
        // White, pure green and black through the masks.
        const uint32_t All = Case.Masks[0] | Case.Masks[1] | Case.Masks[2];
        Spec.Pixels = PackBmpRows(3, 1, Case.BitCount, false, [&](int32_t X, int32_t) {
            return X == 0 ? All : X == 1 ? Case.Masks[1] : 0u;
        });
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(WriteBmp(Spec));
        ASSERT_TRUE(Bitmap) << Case.Name;
        EXPECT_EQ(Bitmap->BitCount(), Case.TargetBits) << Case.Name;
        EXPECT_EQ(PixelAt(*Bitmap, 0, 0), 0xFFFFFFu) << Case.Name;
        EXPECT_EQ(PixelAt(*Bitmap, 1, 0), 0x00FF00u) << Case.Name;
        EXPECT_EQ(PixelAt(*Bitmap, 2, 0), 0x000000u) << Case.Name;
    }
}

TBmpSpec RunLength(int32_t Width, int32_t Height, int BitCount, TBytes Pixels)
{
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = BitCount;
    Spec.Compression = BitCount == 8 ? 1 : 2;
    Spec.Colours = PaletteOf(4);
    Spec.Pixels = std::move(Pixels);
    return Spec;
}

TEST(BmpDecoder, RunLengthPixelsAreExpandedIntoTheDisplayFormat)
{
    // RLE8, 6 x 3: a run, a literal run (odd length, padded), end of line;
    // a delta of (2, 1) skips to the top row; end of bitmap.
    const TBmpSpec Rle8 = RunLength(6, 3, 8, {3, 9, 0, 3, 1, 2, 12, 0, 0, 0, 0, 2, 2, 1, 2, 14, 0, 1});
    std::optional<TDecodedBitmap> Bitmap = DecodeBytes(WriteBmp(Rle8));
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(Bitmap->BitCount(), DisplayFormatBitCount());
    const auto C = [&](size_t I) { return Rle8.Colours[I]; };
    const uint32_t Bottom[6] = {C(9), C(9), C(9), C(1), C(2), C(12)};
    for (int32_t X = 0; X < 6; ++X) {
        EXPECT_EQ(PixelAt(*Bitmap, X, 2), Bottom[X]) << X;
        EXPECT_EQ(PixelAt(*Bitmap, X, 1), 0u) << X;
        EXPECT_EQ(PixelAt(*Bitmap, X, 0), X == 2 || X == 3 ? C(14) : 0u) << X;
    }

    // RLE4, 5 x 1: a run alternates its two nibbles; a literal run of 3.
    Bitmap = DecodeBytes(WriteBmp(RunLength(5, 1, 4, {2, 0x9A, 0, 3, 0x12, 0x30, 0, 1})));
    ASSERT_TRUE(Bitmap);
    const uint32_t Row[5] = {C(9), C(10), C(1), C(2), C(3)};
    for (int32_t X = 0; X < 5; ++X)
        EXPECT_EQ(PixelAt(*Bitmap, X, 0), Row[X]) << X;
}

TEST(BmpDecoder, RunLengthDataPastTheEdgesIsIgnored)
{
    // A run longer than the row, deltas far beyond the bitmap, a literal run
    // cut off by the end of the data.
    const TBmpSpec Spec = RunLength(4, 2, 8, {255, 5, 0, 2, 255, 255, 0, 2, 0, 255, 10, 1, 0, 200, 1, 2});
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(WriteBmp(Spec));
    ASSERT_TRUE(Bitmap);
    for (int32_t X = 0; X < 4; ++X)
        EXPECT_EQ(PixelAt(*Bitmap, X, 1), Spec.Colours[5]);
}

TEST(BmpDecoder, BadHeadersGiveNoPicture)
{
    const TBytes Good = WriteBmp(Picture(24, 4, 4));
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.begin() + 30)));
    EXPECT_FALSE(DecodeBytes(TBytes(Good.begin(), Good.begin() + 14)));
    EXPECT_FALSE(DecodeBytes(TBytes{'B', 'M'}));

    // Palette cut short, unknown header size, zero width, unknown compression,
    // top-down run-length data, 2-bit pixels.
    const TBytes Indexed = WriteBmp(Picture(8, 4, 4));
    EXPECT_FALSE(DecodeBytes(TBytes(Indexed.begin(), Indexed.begin() + 100)));
    TBytes Odd = Good;
    Odd[14] = 20;
    EXPECT_FALSE(DecodeBytes(Odd));
    TBmpSpec Spec = Picture(24, 4, 4);
    Spec.Width = 0;
    EXPECT_FALSE(DecodeBytes(WriteBmp(Spec)));
    Spec = Picture(24, 4, 4);
    Spec.Compression = 4;
    EXPECT_FALSE(DecodeBytes(WriteBmp(Spec)));
    Spec = Picture(8, 4, -4);
    Spec.Compression = 1;
    EXPECT_FALSE(DecodeBytes(WriteBmp(Spec)));
    Spec = Picture(4, 4, 4);
    Spec.BitCount = 2;
    EXPECT_FALSE(DecodeBytes(WriteBmp(Spec)));
}

TEST(BmpDecoder, RefusesPicturesAboveTheSizeLimit)
{
    for (auto [Width, Height] : {std::pair{9000, 9000}, {-5, 5}, {5, INT32_MIN}, {INT32_MAX, 2}}) {
        TBmpSpec Spec = Picture(24, 2, 2);
        Spec.Width = Width;
        Spec.Height = Height;
        EXPECT_FALSE(DecodeBytes(WriteBmp(Spec))) << Width << " x " << Height;
    }
}

}
