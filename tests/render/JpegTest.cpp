#include <gtest/gtest.h>

#include <algorithm>

#include "core/Exceptions.h"
#include "core/MemoryStream.h"
#include "render/JpegDecoder.h"
#include "render/JpegFrameSize.h"
#include "tests/support/BitmapPixels.h"
#include "tests/support/ChunkedStream.h"
#include "tests/support/PictureBuilders.h"

namespace {

TBytes FlatJpeg(int32_t Width, int32_t Height, int Components = 3, std::vector<uint8_t> Value = {200, 100, 50})
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Components = Components;
    Spec.Sample = [Value](int32_t, int32_t, uint8_t* C) { std::copy(Value.begin(), Value.end(), C); };
    return EncodeJpeg(Spec);
}

TJpegFrameSize ScanBytes(const TBytes& Bytes)
{
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    return ReadJpegFrameSize(Stream);
}

// The offset of the frame header's marker (any SOFn), or 0.
size_t FrameAt(const TBytes& Jpeg)
{
    for (size_t At = 2; At + 1 < Jpeg.size(); ++At)
        if (Jpeg[At] == 0xFF && (Jpeg[At + 1] & 0xF0) == 0xC0 && Jpeg[At + 1] != 0xC4 && Jpeg[At + 1] != 0xC8 &&
            Jpeg[At + 1] != 0xCC)
            return At;
    return 0;
}

TBytes Inserted(TBytes Jpeg, size_t At, const TBytes& Bytes)
{
    Jpeg.insert(Jpeg.begin() + static_cast<ptrdiff_t>(At), Bytes.begin(), Bytes.end());
    return Jpeg;
}

TBytes Encoded(bool Progressive, bool Arithmetic)
{
    TJpegSpec Spec;
    Spec.Width = 33;
    Spec.Height = 17;
    Spec.Progressive = Progressive;
    Spec.Arithmetic = Arithmetic;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) { C[0] = C[1] = C[2] = static_cast<uint8_t>(X * Y); };
    return EncodeJpeg(Spec);
}

struct TScanCase {
    const char* Name;
    TBytes Bytes;
    bool Found;
};

// Whatever the library decodes, its header reader sizes: stray bytes, fill
// bytes and every frame type it knows.
TEST(JpegFrameSize, TheLibraryReadsTheFrameHeader)
{
    const TBytes Baseline = Encoded(false, false);
    const size_t Frame = FrameAt(Baseline);
    ASSERT_NE(Frame, 0u);
    const TBytes Soi = {0xFF, 0xD8};
    const TScanCase Cases[] = {
        {"baseline (SOF0)", Baseline, true},
        {"progressive (SOF2)", Encoded(true, false), true},
        {"arithmetic (SOF9)", Encoded(false, true), true},
        {"arithmetic progressive (SOF10)", Encoded(true, true), true},
        {"a stray byte before the frame header", Inserted(Baseline, Frame, {0x00}), true},
        {"stray bytes between segments", Inserted(Baseline, Frame, {0x12, 0x34, 0x56}), true},
        {"one fill byte", Inserted(Baseline, Frame, {0xFF}), true},
        {"two fill bytes", Inserted(Baseline, Frame, {0xFF, 0xFF}), true},
        {"RST0 before the frame header", Inserted(Baseline, Frame, {0xFF, 0xD0}), true},
        {"no start of image", TBytes(Baseline.begin() + 2, Baseline.end()), false},
        {"cut inside the frame header", TBytes(Baseline.begin(), Baseline.begin() + static_cast<ptrdiff_t>(Frame) + 6),
         false},
        {"segment length past the end", Inserted(Soi, 2, {0xFF, 0xE1, 0xFF, 0xFF, 0, 0, 0, 0}), false},
        {"8 bytes", {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0}, false},
        {"empty", {}, false},
    };
    for (const TScanCase& Case : Cases) {
        const TJpegFrameSize Size = ScanBytes(Case.Bytes);
        EXPECT_EQ(Size.Found, Case.Found) << Case.Name;
        if (Case.Found && Size.Found) {
            EXPECT_EQ(Size.Width, 33) << Case.Name;
            EXPECT_EQ(Size.Height, 17) << Case.Name;
        }
    }
}

struct TScaleCase {
    int32_t PictureWidth, PictureHeight;
    int32_t BoxWidth, BoxHeight;
    int Denominator;
};

TEST(JpegScale, LargestScaleThatStillCoversTheBox)
{
    const TScaleCase Cases[] = {
        {1600, 1200, 96, 96, 8},   {1600, 1200, 300, 300, 4}, {1600, 1200, 1000, 1000, 1},
        {1001, 1001, 125, 125, 8}, {1000, 1000, 126, 126, 4}, {1600, 1200, 800, 600, 2},
        {1600, 1200, 801, 600, 1}, {1600, 1200, 0, 96, 1},    {1600, 1200, 96, -1, 1},
        {4000, 3000, 256, 256, 8},
    };
    for (const TScaleCase& Case : Cases)
        EXPECT_EQ(JpegScaleFor({true, Case.PictureWidth, Case.PictureHeight}, Case.BoxWidth, Case.BoxHeight),
                  Case.Denominator)
            << Case.PictureWidth << "x" << Case.PictureHeight << " in " << Case.BoxWidth << "x" << Case.BoxHeight;
    EXPECT_EQ(JpegScaleFor({false, 1600, 1200}, 96, 96), 1);

    // ChooseJpegScale reads from the start, wherever the stream stands.
    const TBytes Bytes = FlatJpeg(1600, 1200);
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    Stream.SetPosition(5);
    EXPECT_EQ(ChooseJpegScale(Stream, 96, 96), 8);
}

struct TDecodeSizeCase {
    int32_t Width, Height, Box;
    int32_t DecodedWidth, DecodedHeight;
};

TEST(JpegDecoder, DecodesAtTheChosenScale)
{
    const TDecodeSizeCase Cases[] = {
        {1600, 1200, 96, 200, 150},   {1600, 1200, 300, 400, 300}, {1600, 1200, 1000, 1600, 1200},
        {1001, 1001, 125, 126, 126},  {4000, 3000, 256, 500, 375}, {1600, 1200, 0, 1600, 1200},
    };
    for (const TDecodeSizeCase& Case : Cases) {
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(FlatJpeg(Case.Width, Case.Height), Case.Box, Case.Box);
        ASSERT_TRUE(Bitmap) << Case.Width << " in " << Case.Box;
        EXPECT_EQ(Bitmap->Width(), Case.DecodedWidth) << Case.Width << " in " << Case.Box;
        EXPECT_EQ(Bitmap->Height(), Case.DecodedHeight) << Case.Width << " in " << Case.Box;
        EXPECT_EQ(Bitmap->BitCount(), 24);
    }
}

TEST(JpegDecoder, OutputFormatFollowsTheComponents)
{
    const std::optional<TDecodedBitmap> Colour = DecodeBytes(FlatJpeg(16, 8, 3, {200, 100, 50}));
    ASSERT_TRUE(Colour);
    EXPECT_EQ(Colour->BitCount(), 24);
    const uint32_t Pixel = PixelAt(*Colour, 5, 5);
    EXPECT_NEAR(static_cast<int>(Pixel >> 16), 200, 3);
    EXPECT_NEAR(static_cast<int>(Pixel >> 8 & 0xFF), 100, 3);
    EXPECT_NEAR(static_cast<int>(Pixel & 0xFF), 50, 3);

    TJpegSpec GreySpec;
    GreySpec.Width = 64;
    GreySpec.Height = 4;
    GreySpec.Components = 1;
    GreySpec.Sample = [](int32_t X, int32_t, uint8_t* C) { C[0] = static_cast<uint8_t>(X * 4); };
    const std::optional<TDecodedBitmap> Grey = DecodeBytes(EncodeJpeg(GreySpec));
    ASSERT_TRUE(Grey);
    EXPECT_EQ(Grey->BitCount(), 8);
    EXPECT_GT(Grey->ColorCount(), 1);
    EXPECT_LE(Grey->ColorCount(), 236);
    for (int I = 0; I < Grey->ColorCount(); ++I) {
        const uint32_t C = Grey->Colors()[static_cast<size_t>(I)];
        EXPECT_EQ(C >> 16, C & 0xFF);
        EXPECT_EQ(C >> 8 & 0xFF, C & 0xFF);
    }
    EXPECT_NEAR(static_cast<int>(PixelAt(*Grey, 0, 0) & 0xFF), 0, 6);
    EXPECT_NEAR(static_cast<int>(PixelAt(*Grey, 63, 0) & 0xFF), 252, 6);
}

struct TCmykCase {
    std::vector<uint8_t> Cmyk;
    uint32_t Rgb;
};

TEST(JpegDecoder, CmykBecomesRgbTimesK)
{
    const TCmykCase Cases[] = {
        {{255, 255, 255, 128}, 0x808080},
        {{255, 0, 255, 255}, 0xFF00FF},
        {{200, 100, 50, 255}, 0xC86432},
        {{255, 255, 255, 0}, 0x000000},
    };
    for (const TCmykCase& Case : Cases) {
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(FlatJpeg(16, 16, 4, Case.Cmyk));
        ASSERT_TRUE(Bitmap);
        EXPECT_EQ(Bitmap->BitCount(), 32);
        const uint32_t Pixel = PixelAt(*Bitmap, 7, 7);
        for (int Shift : {16, 8, 0})
            EXPECT_NEAR(static_cast<int>(Pixel >> Shift & 0xFF), static_cast<int>(Case.Rgb >> Shift & 0xFF), 1)
                << std::hex << Pixel << " for " << Case.Rgb;
        EXPECT_EQ(Bitmap->Row(7)[7 * 4 + 3], 0xFF);
    }
}

TEST(JpegDecoder, TruncatedDataStillDecodesAtFullSize)
{
    TJpegSpec Spec;
    Spec.Width = 64;
    Spec.Height = 64;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) { C[0] = C[1] = C[2] = static_cast<uint8_t>((X ^ Y) * 4); };
    TBytes Bytes = EncodeJpeg(Spec);
    Bytes.resize(Bytes.size() * 2 / 3);
    const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(Bytes);
    ASSERT_TRUE(Bitmap);
    EXPECT_EQ(Bitmap->Width(), 64);
    EXPECT_EQ(Bitmap->Height(), 64);
}

TBytes FlatProgressive(int32_t Width, int32_t Height, int Components)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Components = Components;
    Spec.Progressive = true;
    Spec.Sample = [Components](int32_t, int32_t, uint8_t* C) { std::memset(C, 128, static_cast<size_t>(Components)); };
    return EncodeJpeg(Spec);
}

struct TScanBudgetCase {
    const char* Name;
    TBytes Progressive;
    size_t Scans;
    bool Decoded;
};

// Every scan costs a pass over the blocks it holds: a hundred scans at most,
// and 20 Mi units of work, two a block pass and one a byte (a flat 3072 x 2304
// grey picture has 110,592 blocks and few bytes: 94 scans).
TEST(JpegDecoder, ScansAndTheirWorkAreBudgeted)
{
    const TBytes Small = FlatProgressive(32, 32, 3);
    const TBytes Large = FlatProgressive(3072, 2304, 1);
    const TScanBudgetCase Cases[] = {
        {"32 x 32, 100 scans", Small, 100, true},
        {"32 x 32, 101 scans", Small, 101, false},
        {"3072 x 2304, 80 scans", Large, 80, true},
        {"3072 x 2304, 99 scans", Large, 99, false},
    };
    for (const TScanBudgetCase& Case : Cases)
        EXPECT_EQ(DecodeBytes(JpegWithScans(Case.Progressive, Case.Scans), 96, 96).has_value(), Case.Decoded)
            << Case.Name;
}

// The scale follows the size the library reads, whatever the scan of the
// header alone would miss.
TEST(JpegDecoder, ScaleFromTheLibrarysHeader)
{
    TJpegSpec Spec;
    Spec.Width = 1600;
    Spec.Height = 1200;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) { C[0] = C[1] = C[2] = static_cast<uint8_t>(X ^ Y); };
    const TBytes Baseline = EncodeJpeg(Spec);
    Spec.Arithmetic = true;
    const TBytes Arithmetic = EncodeJpeg(Spec);
    Spec.Progressive = true;
    const TBytes ArithmeticProgressive = EncodeJpeg(Spec);
    for (const TBytes& Bytes :
         {Inserted(Baseline, FrameAt(Baseline), {0x00}), Arithmetic, ArithmeticProgressive}) {
        const std::optional<TDecodedBitmap> Bitmap = DecodeBytes(Bytes, 96, 96);
        ASSERT_TRUE(Bitmap);
        EXPECT_EQ(Bitmap->Width(), 200);
        EXPECT_EQ(Bitmap->Height(), 150);
    }
}

TEST(JpegDecoder, BrokenHeadersGiveNoPicture)
{
    TBytes Bytes = FlatJpeg(16, 16);
    EXPECT_FALSE(DecodeBytes(TBytes(Bytes.begin(), Bytes.begin() + 8)));
    EXPECT_FALSE(DecodeBytes(TBytes(Bytes.begin(), Bytes.begin() + 40)));
    TBytes Noise = {0xFF, 0xD8};
    Noise.resize(66, 0x55);
    EXPECT_FALSE(DecodeBytes(Noise));
}

TEST(JpegDecoder, RefusesPicturesAboveTheSizeLimit)
{
    // A valid header claiming 65000 x 65000: far above the limit at full
    // size; at 1/8 still 8125 x 8125, just below the limit, and a
    // 65000 x 2000 claim in a tall box stays at full size.
    TBytes Bytes = FlatJpeg(16, 16);
    const size_t Sof = [&] {
        for (size_t I = 2; I + 1 < Bytes.size(); ++I)
            if (Bytes[I] == 0xFF && Bytes[I + 1] == 0xC0)
                return I;
        return size_t{0};
    }();
    ASSERT_NE(Sof, 0u);
    auto Claim = [&](uint16_t Width, uint16_t Height) {
        TBytes Patched = Bytes;
        Patched[Sof + 5] = static_cast<uint8_t>(Height >> 8);
        Patched[Sof + 6] = static_cast<uint8_t>(Height);
        Patched[Sof + 7] = static_cast<uint8_t>(Width >> 8);
        Patched[Sof + 8] = static_cast<uint8_t>(Width);
        return Patched;
    };
    EXPECT_FALSE(DecodeBytes(Claim(65000, 65000), 0, 0));
    EXPECT_FALSE(DecodeBytes(Claim(65000, 2000), 100, 2000));
}

}

std::optional<TDecodedBitmap> DecodeFileLike(const TBytes& Bytes, int32_t Box, int64_t FailAt = INT64_MAX)
{
    // No memory stream: the decoder reads it in pieces.
    TChunkedStream Stream(Bytes.data(), Bytes.size(), INT64_MAX, FailAt);
    TPictureSink Sink;
    return DecodeJpegCover(Stream, Box, Box, Sink);
}

// A picture read from a file in pieces decodes to what the same bytes give
// from memory, whole or cut short, through markers that are skipped across
// pieces, and under the same budget of work.
TEST(JpegDecoder, PiecesGiveWhatMemoryGives)
{
    TJpegSpec Spec;
    Spec.Width = 640;
    Spec.Height = 480;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) {
        C[0] = static_cast<uint8_t>(X * 7 ^ Y * 3), C[1] = static_cast<uint8_t>(X + Y), C[2] = static_cast<uint8_t>(Y);
    };
    const TBytes Baseline = EncodeJpeg(Spec);
    Spec.Progressive = true;
    const TBytes Progressive = EncodeJpeg(Spec);
    ASSERT_GT(Baseline.size(), 70000u); // more than one piece
    TBytes Comment = {0xFF, 0xFE, 0xFF, 0xF0};
    Comment.resize(Comment.size() + 0xFFF0 - 2, 'c'); // a marker of 64 KiB less 16 bytes
    const TBytes Skipping = Inserted(Baseline, 2, Comment);
    const TBytes CommentCut(Skipping.begin(), Skipping.begin() + 40000);
    const struct {
        const char* Name;
        TBytes Bytes;
        int32_t Box;
        bool Decoded;
    } Cases[] = {
        {"baseline", Baseline, 100000, true},
        {"baseline at 1/4", Baseline, 160, true},
        {"progressive", Progressive, 100000, true},
        {"cut short", TBytes(Baseline.begin(), Baseline.begin() + 50000), 100000, true},
        {"cut short in its progression", TBytes(Progressive.begin(), Progressive.end() - 9000), 100000, true},
        {"a comment skipped across pieces", Skipping, 100000, true},
        {"the end within a skipped comment", CommentCut, 100000, false},
        {"too many scans", JpegWithScans(FlatProgressive(32, 32, 3), 101), 96, false},
        {"too much work", JpegWithScans(FlatProgressive(3072, 2304, 1), 99), 96, false},
    };
    for (const auto& Case : Cases) {
        const std::optional<TDecodedBitmap> Memory = DecodeBytes(Case.Bytes, Case.Box, Case.Box);
        const std::optional<TDecodedBitmap> Pieces = DecodeFileLike(Case.Bytes, Case.Box);
        ASSERT_EQ(Memory.has_value(), Case.Decoded) << Case.Name;
        ASSERT_EQ(Pieces.has_value(), Case.Decoded) << Case.Name;
        if (!Case.Decoded)
            continue;
        ASSERT_EQ(Pieces->Width(), Memory->Width()) << Case.Name;
        ASSERT_EQ(Pieces->Height(), Memory->Height()) << Case.Name;
        for (int32_t Y = 0; Y < Memory->Height(); ++Y)
            ASSERT_EQ(std::memcmp(Pieces->Row(Y), Memory->Row(Y), static_cast<size_t>(Memory->Width()) * 3), 0)
                << Case.Name << ", row " << Y;
    }
}

// A read that fails, at the header or within the picture's data, ends in no
// picture.
TEST(JpegDecoder, AFailedReadGivesNoPicture)
{
    const TBytes Bytes = FlatJpeg(512, 512);
    for (int64_t FailAt : {int64_t{0}, int64_t{100}, static_cast<int64_t>(Bytes.size()) / 2})
        EXPECT_FALSE(DecodeFileLike(Bytes, 100000, FailAt)) << FailAt;
}
