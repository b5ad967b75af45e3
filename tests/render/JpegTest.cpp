#include <gtest/gtest.h>

#include "core/MemoryStream.h"
#include "render/JpegDecoder.h"
#include "render/JpegFrameSize.h"
#include "tests/support/BitmapPixels.h"
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

// A marker segment: FF code, length (counting itself), payload.
TBytes Segment(uint8_t Code, const TBytes& Payload)
{
    const size_t Length = Payload.size() + 2;
    TBytes Out = {0xFF, Code, static_cast<uint8_t>(Length >> 8), static_cast<uint8_t>(Length)};
    Out.insert(Out.end(), Payload.begin(), Payload.end());
    return Out;
}
// A frame header payload: precision, height, width, one component.
TBytes Frame(uint16_t Width, uint16_t Height)
{
    return {8, static_cast<uint8_t>(Height >> 8), static_cast<uint8_t>(Height), static_cast<uint8_t>(Width >> 8),
            static_cast<uint8_t>(Width), 1, 1, 0x11, 0};
}
TBytes Join(std::initializer_list<TBytes> Parts)
{
    TBytes Out;
    for (const TBytes& Part : Parts)
        Out.insert(Out.end(), Part.begin(), Part.end());
    return Out;
}
const TBytes Soi = {0xFF, 0xD8};
const TBytes Padding(16, 0);

struct TScanCase {
    const char* Name;
    TBytes Bytes;
    bool Found;
};

TEST(JpegFrameSize, MarkerScan)
{
    const TBytes App0 = Segment(0xE0, TBytes(14, 'J'));
    const TBytes Dqt = Segment(0xDB, TBytes(65, 1));
    const TScanCase Cases[] = {
        {"SOF0 after APP0 and DQT", Join({Soi, App0, Dqt, Segment(0xC0, Frame(640, 480)), Padding}), true},
        {"SOF2 progressive", Join({Soi, App0, Segment(0xC2, Frame(640, 480)), Padding}), true},
        {"SOF9 only is skipped", Join({Soi, App0, Segment(0xC9, Frame(640, 480)), Padding}), false},
        {"SOF9 then SOF1", Join({Soi, Segment(0xC9, Frame(1, 1)), Segment(0xC1, Frame(640, 480)), Padding}), true},
        {"one fill byte", Join({Soi, {0xFF}, Segment(0xC0, Frame(640, 480)), Padding}), true},
        {"two fill bytes", Join({Soi, {0xFF, 0xFF}, Segment(0xC0, Frame(640, 480)), Padding}), true},
        {"RST0 before SOF0", Join({Soi, {0xFF, 0xD0}, Segment(0xC0, Frame(640, 480)), Padding}), true},
        {"TEM before SOF0", Join({Soi, {0xFF, 0x01}, Segment(0xC0, Frame(640, 480)), Padding}), true},
        {"garbage between segments", Join({Soi, App0, {0x00}, Segment(0xC0, Frame(640, 480)), Padding}), false},
        {"no SOI", Join({{0xFF, 0xD9}, Segment(0xC0, Frame(640, 480)), Padding}), false},
        {"segment length past the end", Join({Soi, {0xFF, 0xE1, 0xFF, 0xFF}, Padding}), false},
        {"8 bytes", {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0}, false},
        // Too close to the end for a complete frame header.
        {"frame header cut short", Join({Soi, App0, {0xFF, 0xC0, 0, 11, 8, 1, 0xE0}}), false},
    };
    for (const TScanCase& Case : Cases) {
        const TJpegFrameSize Size = ScanBytes(Case.Bytes);
        EXPECT_EQ(Size.Found, Case.Found) << Case.Name;
        if (Case.Found && Size.Found) {
            EXPECT_EQ(Size.Width, 640) << Case.Name;
            EXPECT_EQ(Size.Height, 480) << Case.Name;
        }
    }
}

TEST(JpegFrameSize, ZeroLengthSegmentsEndTheScan)
{
    // Lengths of 0 and 1 step backwards but every turn still advances.
    const TBytes Bytes = Join({Soi, {0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE1, 0x00, 0x01}, Padding});
    EXPECT_FALSE(ScanBytes(Bytes).Found);
}

TEST(JpegFrameSize, EncodedPicturesAreFound)
{
    for (bool Progressive : {false, true}) {
        TJpegSpec Spec;
        Spec.Width = 33;
        Spec.Height = 17;
        Spec.Progressive = Progressive;
        Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) { C[0] = C[1] = C[2] = static_cast<uint8_t>(X * Y); };
        const TJpegFrameSize Size = ScanBytes(EncodeJpeg(Spec));
        ASSERT_TRUE(Size.Found);
        EXPECT_EQ(Size.Width, 33);
        EXPECT_EQ(Size.Height, 17);
    }
}

struct TScaleCase {
    uint16_t PictureWidth, PictureHeight;
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
    for (const TScaleCase& Case : Cases) {
        const TBytes Bytes = Join({Soi, Segment(0xC0, Frame(Case.PictureWidth, Case.PictureHeight)), Padding});
        TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
        Stream.SetPosition(5);
        EXPECT_EQ(ChooseJpegScale(Stream, Case.BoxWidth, Case.BoxHeight), Case.Denominator)
            << Case.PictureWidth << "x" << Case.PictureHeight << " in " << Case.BoxWidth << "x" << Case.BoxHeight;
    }
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

// Every scan costs a pass over the picture: a hundred are decoded, more are
// refused.
TEST(JpegDecoder, ScansBeyondTheHundredthGiveNoPicture)
{
    TJpegSpec Spec;
    Spec.Width = Spec.Height = 32;
    Spec.Progressive = true;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) { C[0] = C[1] = C[2] = static_cast<uint8_t>(X * 8 + Y); };
    const TBytes Progressive = EncodeJpeg(Spec);
    ASSERT_TRUE(DecodeBytes(Progressive));
    EXPECT_TRUE(DecodeBytes(JpegWithScans(Progressive, 100)));
    EXPECT_FALSE(DecodeBytes(JpegWithScans(Progressive, 101)));
}

TEST(JpegDecoder, BrokenHeadersGiveNoPicture)
{
    TBytes Bytes = FlatJpeg(16, 16);
    EXPECT_FALSE(DecodeBytes(TBytes(Bytes.begin(), Bytes.begin() + 8)));
    EXPECT_FALSE(DecodeBytes(TBytes(Bytes.begin(), Bytes.begin() + 40)));
    EXPECT_FALSE(DecodeBytes(Join({Soi, TBytes(64, 0x55)})));
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
