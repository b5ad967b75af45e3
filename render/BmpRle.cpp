#include "render/BmpRle.h"

namespace {

class TRlePainter {
public:
    TRlePainter(const TPictureShape& Shape, const uint32_t* Colours, TPictureSink& Sink)
        : FSink(Sink), FColours(Colours), FWidth(Shape.Width), FHeight(Shape.Height),
          FBytesPerPixel(Shape.BitCount / 8)
    {
    }

    bool Inside() const { return FY < FHeight; }
    void Put(uint8_t Index)
    {
        if (FX < FWidth && FY < FHeight) {
            uint8_t* Pixel = RowAt(FY) + static_cast<size_t>(FX) * static_cast<size_t>(FBytesPerPixel);
            const uint32_t Colour = FColours[Index];
            Pixel[0] = static_cast<uint8_t>(Colour);
            Pixel[1] = static_cast<uint8_t>(Colour >> 8);
            Pixel[2] = static_cast<uint8_t>(Colour >> 16);
        }
        ++FX;
    }
    void EndOfLine()
    {
        FX = 0;
        ++FY;
    }
    void Move(uint8_t Right, uint8_t Up)
    {
        FX += Right;
        FY += Up;
    }
    // Puts the row still open; the sink makes the rows never reached black.
    void Close()
    {
        if (FOpen)
            FSink.PutRow();
        FOpen = nullptr;
    }

private:
    // Row Y, counted from the bottom as the data go (never backwards), once
    // every row below it is put.
    uint8_t* RowAt(int64_t Y)
    {
        for (; FOpenY < Y; ++FOpenY) {
            if (!FOpen)
                FSink.NextRow();
            FSink.PutRow();
            FOpen = nullptr;
        }
        if (!FOpen)
            FOpen = FSink.NextRow();
        return FOpen;
    }

    TPictureSink& FSink;
    const uint32_t* FColours;
    int64_t FWidth;
    int64_t FHeight;
    int FBytesPerPixel;
    uint8_t* FOpen = nullptr;
    int64_t FOpenY = 0;
    // 64-bit, so that deltas and runs can never wrap past the edges.
    int64_t FX = 0;
    int64_t FY = 0;
};

void Paint(const uint8_t* Data, size_t Size, int IndexBits, TRlePainter& Painter)
{
    size_t Position = 0;
    // Pairs: a count above 0 repeats the next byte's index (RLE4: its two
    // nibbles in turn); a count of 0 escapes: 0 end of line, 1 end of
    // bitmap, 2 a delta (right, up), n >= 3 a literal run of n indexes padded
    // to a 16-bit boundary.
    while (Size - Position >= 2 && Painter.Inside()) {
        const uint8_t Count = Data[Position];
        const uint8_t Value = Data[Position + 1];
        Position += 2;
        if (Count > 0) {
            for (unsigned I = 0; I < Count; ++I)
                Painter.Put(IndexBits == 8 ? Value : (I % 2 == 0 ? Value >> 4 : Value & 0x0F));
            continue;
        }
        if (Value == 0) {
            Painter.EndOfLine();
        } else if (Value == 1) {
            return;
        } else if (Value == 2) {
            if (Size - Position < 2)
                return;
            Painter.Move(Data[Position], Data[Position + 1]);
            Position += 2;
        } else {
            const size_t Bytes = IndexBits == 8 ? Value : (static_cast<size_t>(Value) + 1) / 2;
            const size_t Padded = (Bytes + 1) & ~static_cast<size_t>(1);
            const size_t Available = Size - Position < Bytes ? Size - Position : Bytes;
            for (unsigned I = 0; I < Value; ++I) {
                const size_t Byte = IndexBits == 8 ? I : I / 2;
                if (Byte >= Available)
                    break;
                const uint8_t B = Data[Position + Byte];
                Painter.Put(IndexBits == 8 ? B : (I % 2 == 0 ? B >> 4 : B & 0x0F));
            }
            Position += Size - Position < Padded ? Size - Position : Padded;
        }
    }
}

}

void ExpandBmpRle(const uint8_t* Data, size_t Size, int IndexBits, const uint32_t* Colours,
                  const TPictureShape& Shape, TPictureSink& Sink)
{
    TRlePainter Painter(Shape, Colours, Sink);
    Paint(Data, Size, IndexBits, Painter);
    Painter.Close();
}
