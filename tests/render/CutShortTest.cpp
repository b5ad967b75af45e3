#include <gtest/gtest.h>

#include <string>

#include "core/MemoryStream.h"
#include "render/Thumbnail.h"
#include "tests/support/BitmapPixels.h"
#include "tests/support/PictureBuilders.h"

namespace {

// Noise compresses badly, so that the bytes of the rows spread over the file.
uint32_t Noise(int32_t X, int32_t Y)
{
    uint32_t H = static_cast<uint32_t>(X) * 73856093u ^ static_cast<uint32_t>(Y) * 19349663u;
    H ^= H >> 13;
    return H * 0x5bd1e995u;
}

const std::vector<uint32_t> Table = {0xFF0000, 0x00FF00, 0x0000FF, 0x7F7F7F, 0x000000, 0xFFFFFF, 0x204060, 0xC0C0C0};

TBytes RgbPng(bool Interlaced)
{
    TPngSpec Spec = PngSpecOf(64, 64, 2, [](int32_t X, int32_t Y, uint16_t* S) {
        const uint32_t V = Noise(X, Y);
        S[0] = V & 0xFF, S[1] = V >> 8 & 0xFF, S[2] = V >> 16 & 0xFF;
    });
    Spec.Interlaced = Interlaced;
    return EncodePng(Spec);
}

TBytes PalettePng()
{
    TPngSpec Spec = PngSpecOf(64, 64, 3, [](int32_t X, int32_t Y, uint16_t* S) { S[0] = Noise(X, Y) % 8; });
    Spec.Palette = Table;
    return EncodePng(Spec);
}

TBytes ScreenGif(int Inset, bool Interlaced)
{
    TGifFrameSpec Frame;
    Frame.Left = Frame.Top = Inset;
    Frame.Width = Frame.Height = 64 - 2 * Inset;
    Frame.Interlaced = Interlaced;
    for (int Y = 0; Y < Frame.Height; ++Y)
        for (int X = 0; X < Frame.Width; ++X)
            Frame.Pixels.push_back(static_cast<uint8_t>(Noise(X, Y) % 8));
    TGifSpec Spec;
    Spec.ScreenWidth = Spec.ScreenHeight = 64;
    Spec.GlobalColours = Table;
    Spec.Frames = {Frame};
    return EncodeGif(Spec);
}

TBytes Cut(const TBytes& Whole, double Share)
{
    return TBytes(Whole.begin(), Whole.begin() + static_cast<ptrdiff_t>(static_cast<double>(Whole.size()) * Share));
}

std::optional<TDecodedBitmap> Thumbnail(const TBytes& Bytes, int32_t Box, TCutShort CutShort)
{
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    return MakeThumbnailBitmap(Stream, Box, Box, CutShort);
}

struct TCutCase {
    const char* What;
    TBytes Whole;
    double Share;    // of the file kept
    bool Kept;       // a picture with the rows that decoded
    uint32_t Grey;   // what the rows after the cut show
};

// A PNG or GIF cut short shows its first rows and grey below them when asked
// to, in the kept picture and in a thumbnail; the whole file is unchanged;
// nothing without rows in order, or without any row, is kept.
TEST(CutShortPictures, TheRowsThatDecodedAndGreyBelow)
{
    const TCutCase Cases[] = {
        {"PNG RGB", RgbPng(false), 0.5, true, 0x808080},
        {"PNG palette", PalettePng(), 0.5, true, 0x7F7F7F},
        {"GIF frame filling the screen", ScreenGif(0, false), 0.5, true, 0x7F7F7F},
        {"GIF frame on the screen", ScreenGif(4, false), 0.5, true, 0x808080},
        {"PNG interlaced", RgbPng(true), 0.5, false, 0},
        {"GIF interlaced", ScreenGif(0, true), 0.5, false, 0},
        {"PNG header alone", RgbPng(false), 0.003, false, 0},
    };
    for (const TCutCase& Case : Cases) {
        const std::optional<TDecodedBitmap> Whole = Thumbnail(Case.Whole, 1000, csKeepRows);
        ASSERT_TRUE(Whole) << Case.What;
        const TBytes Short = Cut(Case.Whole, Case.Share);
        EXPECT_FALSE(Thumbnail(Short, 1000, csRefuse)) << Case.What;
        const std::optional<TDecodedBitmap> Kept = Thumbnail(Short, 1000, csKeepRows);
        ASSERT_EQ(Kept.has_value(), Case.Kept) << Case.What;
        if (!Kept)
            continue;
        EXPECT_EQ(PixelAt(*Kept, 5, 0), PixelAt(*Whole, 5, 0)) << Case.What;
        EXPECT_EQ(PixelAt(*Kept, 60, 63), Case.Grey) << Case.What;
        const std::optional<TDecodedBitmap> Small = Thumbnail(Short, 16, csKeepRows);
        ASSERT_TRUE(Small) << Case.What;
        EXPECT_EQ(PixelAt(*Small, 15, 15), Case.Grey) << Case.What;
    }
}

}
