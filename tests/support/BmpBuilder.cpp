#include "platform/Dib.h"
#include "tests/support/LittleEndian.h"
#include "tests/support/PictureBuilders.h"

TBytes WriteBmp(const TBmpSpec& Spec)
{
    TBytes Header;
    if (Spec.Header == TBmpHeader::Core12) {
        Put32(Header, 12);
        Put16(Header, static_cast<uint32_t>(Spec.Width));
        Put16(Header, static_cast<uint32_t>(Spec.Height));
        Put16(Header, 1);
        Put16(Header, static_cast<uint32_t>(Spec.BitCount));
    } else {
        const bool V4 = Spec.Header == TBmpHeader::V4;
        Put32(Header, V4 ? 108 : 40);
        Put32(Header, static_cast<uint32_t>(Spec.Width));
        Put32(Header, static_cast<uint32_t>(Spec.Height));
        Put16(Header, 1);
        Put16(Header, static_cast<uint32_t>(Spec.BitCount));
        Put32(Header, Spec.Compression);
        Put32(Header, Spec.ImageSize);
        Put32(Header, 2835);
        Put32(Header, 2835);
        Put32(Header, static_cast<uint32_t>(Spec.Colours.size()));
        Put32(Header, 0);
        if (V4 || Spec.Compression == 3)
            for (uint32_t Mask : Spec.Masks)
                Put32(Header, Mask);
        if (V4) {
            Put32(Header, 0); // alpha mask
            Put32(Header, 0x73524742); // colour space "sRGB"
            Header.resize(108, 0);
        }
    }
    for (uint32_t C : Spec.Colours) {
        Header.push_back(static_cast<uint8_t>(C));
        Header.push_back(static_cast<uint8_t>(C >> 8));
        Header.push_back(static_cast<uint8_t>(C >> 16));
        if (Spec.Header != TBmpHeader::Core12)
            Header.push_back(0);
    }
    TBytes File = {'B', 'M'};
    Put32(File, static_cast<uint32_t>(14 + Header.size() + Spec.Pixels.size()));
    Put32(File, 0);
    Put32(File, static_cast<uint32_t>(14 + Header.size()));
    File.insert(File.end(), Header.begin(), Header.end());
    File.insert(File.end(), Spec.Pixels.begin(), Spec.Pixels.end());
    return File;
}

TBytes PackBmpRows(int32_t Width, int32_t Height, int BitCount, bool TopDown, const TPixelFunction& Value)
{
    const size_t Stride = platform::DibStride(Width, BitCount);
    TBytes Out(Stride * static_cast<size_t>(Height), 0);
    for (int32_t Row = 0; Row < Height; ++Row) {
        const int32_t Y = TopDown ? Row : Height - 1 - Row;
        uint8_t* Line = Out.data() + static_cast<size_t>(Row) * Stride;
        for (int32_t X = 0; X < Width; ++X) {
            const uint32_t V = Value(X, Y);
            if (BitCount >= 16) {
                for (int B = 0; B < BitCount / 8; ++B)
                    Line[static_cast<size_t>(X) * (BitCount / 8) + B] = static_cast<uint8_t>(V >> (8 * B));
            } else {
                const size_t Bit = static_cast<size_t>(X) * BitCount;
                Line[Bit / 8] |= static_cast<uint8_t>(V << (8 - BitCount - Bit % 8));
            }
        }
    }
    return Out;
}

TBytes BmpOf(int32_t Width, int32_t Height, const TSampleFunction& Rgb)
{
    const auto Colour = [&Rgb](int32_t X, int32_t Y) {
        uint8_t C[3];
        Rgb(X, Y, C);
        return static_cast<uint32_t>(C[0]) << 16 | static_cast<uint32_t>(C[1]) << 8 | C[2];
    };
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = 24;
    Spec.Pixels = PackBmpRows(Width, Height, 24, false, Colour);
    return WriteBmp(Spec);
}
