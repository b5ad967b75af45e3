#include <gtest/gtest.h>

#include "core/MemoryStream.h"
#include "render/CoverImage.h"
#include "tests/support/BitmapPixels.h"
#include "tests/support/ChunkedStream.h"
#include "tests/support/PictureBuilders.h"

namespace {

TBytes SmallPng()
{
    TPngSpec Spec;
    Spec.Width = Spec.Height = 3;
    Spec.Samples.assign(27, 99);
    return EncodePng(Spec);
}
TBytes SmallJpeg()
{
    TJpegSpec Spec;
    Spec.Sample = [](int32_t, int32_t, uint8_t* C) { C[0] = C[1] = C[2] = 77; };
    return EncodeJpeg(Spec);
}
TBytes SmallGif()
{
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 2;
    Spec.GlobalColours = {0x112233, 0x445566};
    Spec.Frames = {{0, 0, 2, 2, false, {}, -1, {0, 1, 1, 0}}};
    return EncodeGif(Spec);
}
TBytes SmallBmp()
{
    TBmpSpec Spec;
    Spec.Width = Spec.Height = 2;
    Spec.BitCount = 8;
    Spec.Colours = {0x010203, 0x040506};
    Spec.Pixels = {0, 1, 0, 0, 1, 0, 0, 0};
    return WriteBmp(Spec);
}

struct TSignatureCase {
    const char* Name;
    TBytes Bytes;
    bool Decoded;
    int BitCount;
};

TEST(DecodeCoverImage, SignaturesChooseTheDecoder)
{
    TBytes BadPng = SmallPng();
    BadPng[40] ^= 0x5A;
    TBytes NoSignature = SmallPng();
    NoSignature[3] = 'X';
    TBytes JpegBeforeBmp = SmallJpeg();
    const TSignatureCase Cases[] = {
        {"JPEG", SmallJpeg(), true, 24},
        {"PNG", SmallPng(), true, 24},
        {"GIF", SmallGif(), true, 8},
        {"BMP", SmallBmp(), true, 8},
        {"1 byte", {0xFF}, false, 0},
        {"4 zero bytes", {0, 0, 0, 0}, false, 0},
        {"GIF signature only", {'G', 'I', 'F'}, false, 0},
        {"damaged PNG", BadPng, false, 0},
        {"PNG with its fourth byte changed", NoSignature, false, 0},
        {"BMP signature, JPEG decoder never asked", {'B', 'M', 0xFF, 0xD8}, false, 0},
    };
    for (const TSignatureCase& Case : Cases) {
        for (bool Chunked : {false, true}) {
            TPointerReadOnlyStream Memory(Case.Bytes.data(), static_cast<intptr_t>(Case.Bytes.size()));
            TChunkedStream Other(Case.Bytes.data(), Case.Bytes.size(), 7);
            TStream& Stream = Chunked ? static_cast<TStream&>(Other) : Memory;
            const std::optional<TDecodedBitmap> Bitmap = DecodeCoverImage(Stream, 96, 96);
            ASSERT_EQ(Bitmap.has_value(), Case.Decoded) << Case.Name << (Chunked ? " (copied)" : "");
            if (Bitmap) {
                EXPECT_EQ(Bitmap->BitCount(), Case.BitCount) << Case.Name;
            }
        }
    }
}

TEST(DecodeCoverImage, DecodersStartAtTheBeginning)
{
    const TBytes Bytes = SmallBmp();
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    const std::optional<TDecodedBitmap> Bitmap = DecodeCoverImage(Stream, 96, 96);
    ASSERT_TRUE(Bitmap);
    // Bottom-up rows: the file's first row (0, 1) is the bottom one.
    EXPECT_EQ(PixelAt(*Bitmap, 1, 1), 0x040506u);
    EXPECT_EQ(PixelAt(*Bitmap, 1, 0), 0x010203u);
}

}
