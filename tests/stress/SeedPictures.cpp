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

TBytes SmallJpeg(int32_t Width, int32_t Height) { return JpegOf(Width, Height, Gradient, 50); }

TBytes SmallPng(int32_t Width, int32_t Height)
{
    return EncodePng(PngSpecOf(Width, Height, 2, [](int32_t X, int32_t Y, uint16_t* S) {
        uint8_t C[3];
        Gradient(X, Y, C);
        S[0] = C[0], S[1] = C[1], S[2] = C[2];
    }));
}

TBytes SmallGif(int32_t Width, int32_t Height)
{
    return GifOf(Width, Height, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF},
                 [Width](int32_t X, int32_t Y) { return static_cast<uint32_t>(Y * Width + X) % 4; });
}

TBytes SmallBmp(int32_t Width, int32_t Height) { return BmpOf(Width, Height, Gradient); }
