#include "tests/stress/SeedPictures.h"

#include "tests/support/PictureBuilders.h"

namespace {

void Gradient(int32_t X, int32_t Y, uint8_t* C)
{
    C[0] = static_cast<uint8_t>(X * 32);
    C[1] = static_cast<uint8_t>(Y * 32);
    C[2] = static_cast<uint8_t>((X + Y) * 16);
}

}

TBytes SmallJpeg(int32_t Width, int32_t Height)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Sample = Gradient;
    Spec.Quality = 50;
    return EncodeJpeg(Spec);
}

TBytes SmallPng(int32_t Width, int32_t Height)
{
    TPngSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.ColourType = 2;
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X) {
            uint8_t C[3];
            Gradient(X, Y, C);
            Spec.Samples.insert(Spec.Samples.end(), {C[0], C[1], C[2]});
        }
    return EncodePng(Spec);
}

TBytes SmallGif(int32_t Width, int32_t Height)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Width;
    Spec.ScreenHeight = Height;
    Spec.GlobalColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    TGifFrameSpec Frame;
    Frame.Width = Width;
    Frame.Height = Height;
    for (int32_t I = 0; I < Width * Height; ++I)
        Frame.Pixels.push_back(static_cast<uint8_t>(I % 4));
    Spec.Frames.push_back(Frame);
    return EncodeGif(Spec);
}

TBytes SmallBmp(int32_t Width, int32_t Height)
{
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = 24;
    Spec.Pixels = PackBmpRows(Width, Height, 24, false,
                              [](int32_t X, int32_t Y) { return static_cast<uint32_t>(X * 0x400000 + Y * 0x40); });
    return WriteBmp(Spec);
}
