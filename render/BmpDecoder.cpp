#include "render/BmpDecoder.h"

#include <cstring>

#include "core/ByteOrder.h"
#include "render/BmpRle.h"
#include "render/PictureBytes.h"

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t biRGB = 0, biRLE8 = 1, biRLE4 = 2, biBitFields = 3;

struct TBmpLayout {
    int32_t Width = 0;
    int32_t Height = 0; // always positive; TopDown tells the row order
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = biRGB;
    uint32_t ImageSize = 0;
    uint32_t Masks[3] = {0, 0, 0}; // red, green, blue
    int ColourCount = 0;
    uint32_t Colours[256] = {};
    size_t PixelOffset = 0;
};

// A channel of a masked pixel, scaled to 8 bits.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;

    explicit TChannel(uint32_t M) : Mask(M)
    {
        if (!Mask)
            return;
        while (!(Mask >> Shift & 1))
            ++Shift;
        Max = Mask >> Shift;
    }
    uint8_t Value(uint32_t Pixel) const
    {
        if (!Max)
            return 0;
        const uint64_t V = (Pixel & Mask) >> Shift;
        return static_cast<uint8_t>((V * 255 + Max / 2) / Max);
    }
};

bool ReadLayout(const uint8_t* Data, size_t Size, TBmpLayout& Layout)
{
    // File header: "BM", file size (4), reserved (4), pixel data offset (4).
    if (Size < FileHeaderSize + 4 || Data[0] != 'B' || Data[1] != 'M')
        return false;
    const uint32_t PixelOffset = GetLE32(Data + 10);
    const uint8_t* Header = Data + FileHeaderSize;
    const uint32_t HeaderSize = GetLE32(Header);
    if (Size - FileHeaderSize < HeaderSize)
        return false;
    size_t TableEntrySize = 4;
    int64_t Height = 0;
    if (HeaderSize == CoreHeaderSize) {
        // OS/2: width (2), height (2), planes (2), bit count (2).
        Layout.Width = GetLE16(Header + 4);
        Height = GetLE16(Header + 6);
        Layout.BitCount = GetLE16(Header + 10);
        TableEntrySize = 3;
    } else if (HeaderSize >= InfoHeaderSize) {
        // Windows: width (4), height (4, negative for top-down rows),
        // planes (2), bit count (2), compression (4), image size (4),
        // resolution (2 x 4), colours used (4), colours important (4); from
        // 52 bytes on, the red, green and blue masks.
        Layout.Width = static_cast<int32_t>(GetLE32(Header + 4));
        Height = static_cast<int32_t>(GetLE32(Header + 8));
        Layout.BitCount = GetLE16(Header + 14);
        Layout.Compression = GetLE32(Header + 16);
        Layout.ImageSize = GetLE32(Header + 20);
        const uint32_t ColoursUsed = GetLE32(Header + 32);
        if (Layout.BitCount <= 8)
            Layout.ColourCount = ColoursUsed == 0 || ColoursUsed > (1u << Layout.BitCount)
                                     ? 1 << Layout.BitCount
                                     : static_cast<int>(ColoursUsed);
    } else {
        return false;
    }
    if (HeaderSize == CoreHeaderSize && Layout.BitCount <= 8)
        Layout.ColourCount = 1 << Layout.BitCount;
    Layout.TopDown = Height < 0;
    Layout.Height = static_cast<int32_t>(Height < 0 ? -Height : Height);
    if (Layout.Width <= 0 || Height == 0 || Height < -INT32_MAX)
        return false;

    size_t Position = FileHeaderSize + HeaderSize;
    if (Layout.Compression == biBitFields) {
        // Masks follow a 40-byte header; longer headers hold them.
        const uint8_t* Masks = Header + InfoHeaderSize;
        if (HeaderSize > InfoHeaderSize && HeaderSize < InfoHeaderSize + 12)
            return false;
        if (HeaderSize == InfoHeaderSize) {
            if (Size - Position < 12)
                return false;
            Position += 12;
        }
        for (int I = 0; I < 3; ++I)
            Layout.Masks[I] = GetLE32(Masks + 4 * I);
    }
    if (Size - Position < TableEntrySize * static_cast<size_t>(Layout.ColourCount))
        return false;
    for (int I = 0; I < Layout.ColourCount; ++I, Position += TableEntrySize) {
        const uint8_t* Entry = Data + Position; // blue, green, red (, reserved)
        Layout.Colours[I] = static_cast<uint32_t>(Entry[2]) << 16 | static_cast<uint32_t>(Entry[1]) << 8 | Entry[0];
    }
    Layout.PixelOffset = PixelOffset != 0 ? PixelOffset : Position;
    return true;
}

// The pixel bytes to read: the smaller of what the header states (or the
// rows need) and what the file holds.
size_t PixelDataSize(const TBmpLayout& Layout, size_t Size, uint64_t RowsNeed)
{
    if (Layout.PixelOffset >= Size)
        return 0;
    uint64_t Wanted = Layout.ImageSize != 0 ? Layout.ImageSize : RowsNeed;
    const uint64_t Remaining = Size - Layout.PixelOffset;
    return static_cast<size_t>(Wanted < Remaining ? Wanted : Remaining);
}

const uint8_t* PixelData(const uint8_t* Data, size_t Size, const TBmpLayout& Layout)
{
    return Data + (Layout.PixelOffset < Size ? Layout.PixelOffset : Size);
}

TRowOrder FileOrder(const TBmpLayout& Layout) { return Layout.TopDown ? TRowOrder::TopDown : TRowOrder::BottomUp; }

std::optional<TDecodedBitmap> CopyRows(const uint8_t* Data, size_t Size, const TBmpLayout& Layout, TPictureSink& Sink)
{
    if (!Sink.Start({Layout.Width, Layout.Height, Layout.BitCount, Layout.Colours, Layout.ColourCount},
                    FileOrder(Layout)))
        return std::nullopt;
    const uint64_t Stride = platform::DibStride(Layout.Width, Layout.BitCount);
    const uint64_t RowsNeed = Stride * static_cast<uint64_t>(Layout.Height);
    uint64_t Available = PixelDataSize(Layout, Size, RowsNeed);
    if (Available > RowsNeed)
        Available = RowsNeed;
    const uint8_t* Pixels = PixelData(Data, Size, Layout);
    for (uint64_t R = 0; R * Stride < Available; ++R) {
        const uint64_t Left = Available - R * Stride;
        std::memcpy(Sink.NextRow(), Pixels + R * Stride, static_cast<size_t>(Left < Stride ? Left : Stride));
        Sink.PutRow();
    }
    return Sink.Finish();
}

std::optional<TDecodedBitmap> ConvertMaskedRows(const uint8_t* Data, size_t Size, const TBmpLayout& Layout,
                                                TPictureSink& Sink)
{
    const int SourceBytes = Layout.BitCount / 8;
    uint32_t Masks[3] = {Layout.Masks[0], Layout.Masks[1], Layout.Masks[2]};
    if (Layout.Compression == biRGB) {
        // Uncompressed 16-bit pixels are 5-5-5.
        Masks[0] = 0x7C00;
        Masks[1] = 0x03E0;
        Masks[2] = 0x001F;
    }
    const TChannel Red(Masks[0]), Green(Masks[1]), Blue(Masks[2]);
    const int BitCount = SourceBytes == 2 ? 24 : 32;
    if (!Sink.Start({Layout.Width, Layout.Height, BitCount, nullptr, 0}, FileOrder(Layout)))
        return std::nullopt;
    const int TargetBytes = BitCount / 8;
    const uint64_t SourceStride = platform::DibStride(Layout.Width, Layout.BitCount);
    const uint64_t Available = PixelDataSize(Layout, Size, SourceStride * static_cast<uint64_t>(Layout.Height));
    const uint8_t* Pixels = PixelData(Data, Size, Layout);
    for (uint64_t R = 0; R < static_cast<uint64_t>(Layout.Height) && R * SourceStride < Available; ++R) {
        const uint64_t Left = Available - R * SourceStride;
        const uint64_t Whole = (Left < SourceStride ? Left : SourceStride) / static_cast<uint64_t>(SourceBytes);
        const uint64_t Count = Whole < static_cast<uint64_t>(Layout.Width) ? Whole : Layout.Width;
        const uint8_t* Source = Pixels + R * SourceStride;
        uint8_t* Target = Sink.NextRow();
        for (uint64_t X = 0; X < Count; ++X, Source += SourceBytes, Target += TargetBytes) {
            const uint32_t Pixel = SourceBytes == 2 ? GetLE16(Source) : GetLE32(Source);
            Target[0] = Blue.Value(Pixel);
            Target[1] = Green.Value(Pixel);
            Target[2] = Red.Value(Pixel);
        }
        Sink.PutRow();
    }
    return Sink.Finish();
}

std::optional<TDecodedBitmap> ExpandRle(const uint8_t* Data, size_t Size, const TBmpLayout& Layout, TPictureSink& Sink)
{
    // Run-length rows are always stored bottom-up.
    if (Layout.TopDown)
        return std::nullopt;
    const TPictureShape Shape{Layout.Width, Layout.Height, DisplayFormatBitCount(), nullptr, 0};
    if (!Sink.Start(Shape, TRowOrder::BottomUp))
        return std::nullopt;
    const size_t Available = PixelDataSize(Layout, Size, Size);
    ExpandBmpRle(PixelData(Data, Size, Layout), Available, Layout.Compression == biRLE8 ? 8 : 4, Layout.Colours, Shape,
                 Sink);
    return Sink.Finish();
}

std::optional<TDecodedBitmap> DecodeBmp(const uint8_t* Data, size_t Size, TPictureSink& Sink)
{
    TBmpLayout Layout;
    if (!ReadLayout(Data, Size, Layout))
        return std::nullopt;
    const int Bits = Layout.BitCount;
    switch (Layout.Compression) {
    case biRGB:
        if (Bits == 1 || Bits == 4 || Bits == 8 || Bits == 24 || Bits == 32)
            return CopyRows(Data, Size, Layout, Sink);
        if (Bits == 16)
            return ConvertMaskedRows(Data, Size, Layout, Sink);
        return std::nullopt;
    case biBitFields:
        if (Bits == 16 || Bits == 32)
            return ConvertMaskedRows(Data, Size, Layout, Sink);
        return std::nullopt;
    case biRLE8:
        return Bits == 8 ? ExpandRle(Data, Size, Layout, Sink) : std::nullopt;
    case biRLE4:
        return Bits == 4 ? ExpandRle(Data, Size, Layout, Sink) : std::nullopt;
    default:
        return std::nullopt;
    }
}

}

std::optional<TDecodedBitmap> DecodeBmpCover(TStream& Stream, TPictureSink& Sink)
{
    try {
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        return DecodeBmp(Bytes.Data(), Bytes.Size(), Sink);
    } catch (...) {
        return std::nullopt;
    }
}
