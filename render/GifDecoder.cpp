#include "render/GifDecoder.h"

#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "render/PictureBytes.h"

namespace {

// The system's window colour, where a GIF without a global colour table
// needs a background: white, as on every default Windows scheme.
constexpr uint32_t WindowColour = 0x00FFFFFF;
constexpr uint32_t White = 0x00FFFFFF;

struct TGifSource {
    const uint8_t* Data;
    size_t Size;
    size_t Position;
};

int ReadFromSource(GifFileType* Gif, GifByteType* Buffer, int Count)
{
    auto* Source = static_cast<TGifSource*>(Gif->UserData);
    size_t Wanted = Count > 0 ? static_cast<size_t>(Count) : 0;
    if (Source->Size - Source->Position < Wanted)
        Wanted = Source->Size - Source->Position;
    std::memcpy(Buffer, Source->Data + Source->Position, Wanted);
    Source->Position += Wanted;
    return static_cast<int>(Wanted);
}

struct TGifCloser {
    void operator()(GifFileType* Gif) const
    {
        int Error = 0;
        DGifCloseFile(Gif, &Error);
    }
};
using TGifFile = std::unique_ptr<GifFileType, TGifCloser>;

struct TFirstFrame {
    bool Present = false;
    bool Transparent = false;
    int TransparentIndex = -1;
    GifImageDesc Desc{};
};

// Graphic control extension: block size (4), packed flags (bit 0:
// transparent colour given), delay (2), transparent colour index.
void ReadGraphicControl(const GifByteType* Block, TFirstFrame& Frame)
{
    if (Block && Block[0] >= 4) {
        Frame.Transparent = (Block[1] & 1) != 0;
        Frame.TransparentIndex = Block[4];
    }
}

// Reads records up to the first frame's descriptor, which leaves its rows
// next; false on a damaged file. No frame before the end: not Present.
bool FindFirstFrame(GifFileType* Gif, TFirstFrame& Frame)
{
    for (;;) {
        GifRecordType Record;
        if (DGifGetRecordType(Gif, &Record) != GIF_OK)
            return false;
        switch (Record) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(Gif) != GIF_OK)
                return false;
            Frame.Desc = Gif->Image;
            Frame.Present = true;
            return PictureSizeAllowed(Frame.Desc.Width, Frame.Desc.Height, 8);
        case EXTENSION_RECORD_TYPE: {
            int Code = 0;
            GifByteType* Block = nullptr;
            if (DGifGetExtension(Gif, &Code, &Block) != GIF_OK)
                return false;
            if (Code == GRAPHICS_EXT_FUNC_CODE)
                ReadGraphicControl(Block, Frame);
            while (Block)
                if (DGifGetExtensionNext(Gif, &Block) != GIF_OK)
                    return false;
            break;
        }
        case TERMINATE_RECORD_TYPE:
            return true;
        default:
            return false;
        }
    }
}

// Reads every row of the frame, in the order stored, into Row(Y).
// Interlaced rows come in four passes: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
template <typename TRowOf>
bool ReadAllRows(GifFileType* Gif, const GifImageDesc& Desc, TRowOf Row)
{
    static constexpr int Starts[4] = {0, 4, 2, 1};
    static constexpr int Steps[4] = {8, 8, 4, 2};
    const int Passes = Desc.Interlace ? 4 : 1;
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (int Y = Desc.Interlace ? Starts[Pass] : 0; Y < Desc.Height; Y += Desc.Interlace ? Steps[Pass] : 1)
            if (DGifGetLine(Gif, Row(Y), Desc.Width) != GIF_OK)
                return false;
    return true;
}

int ColourTable(const ColorMapObject* Map, uint32_t* Colours)
{
    const int Count = Map->ColorCount < 256 ? Map->ColorCount : 256;
    for (int I = 0; I < Count; ++I) {
        const GifColorType& C = Map->Colors[I];
        Colours[I] = static_cast<uint32_t>(C.Red) << 16 | static_cast<uint32_t>(C.Green) << 8 | C.Blue;
    }
    return Count;
}

// The frame as it is: 8 bits with its colour table.
std::optional<TDecodedBitmap> FrameAsBitmap(GifFileType* Gif, const TFirstFrame& Frame, const uint32_t* Colours,
                                            int ColourCount, TPictureSink& Sink, TCutShort CutShort)
{
    const TPictureShape Shape{Frame.Desc.Width, Frame.Desc.Height, 8, Colours, ColourCount};
    if (Frame.Desc.Interlace) {
        TDecodedBitmap* Held = Sink.StartHeld(Shape);
        if (!Held || !ReadAllRows(Gif, Frame.Desc, [Held](int Y) { return Held->Row(Y); }))
            return std::nullopt;
        return Sink.Finish();
    }
    if (!Sink.Start(Shape, TRowOrder::TopDown))
        return std::nullopt;
    for (int Y = 0; Y < Frame.Desc.Height; ++Y) {
        if (DGifGetLine(Gif, Sink.NextRow(), Frame.Desc.Width) != GIF_OK)
            return CutShort == csKeepRows ? Sink.FinishCutShort() : std::nullopt;
        Sink.PutRow();
    }
    return Sink.Finish();
}

void PutPixel(uint8_t* Pixel, uint32_t Colour, int BytesPerPixel)
{
    Pixel[0] = static_cast<uint8_t>(Colour);
    Pixel[1] = static_cast<uint8_t>(Colour >> 8);
    Pixel[2] = static_cast<uint8_t>(Colour >> 16);
    if (BytesPerPixel == 4)
        Pixel[3] = 0;
}

// The frame drawn on the screen, row by row from the top. The frame's rows
// are read as the screen reaches them; an interlaced frame, whose rows come
// out of order, is read whole first, up to Limits::HeldPixels.
std::optional<TDecodedBitmap> ComposeOnScreen(GifFileType* Gif, const TFirstFrame& Frame, const uint32_t* Colours,
                                              TPictureSink& Sink, TCutShort CutShort)
{
    uint32_t Fill = White;
    if (Frame.Transparent) {
        Fill = WindowColour;
        if (Gif->SColorMap && Gif->SBackGroundColor >= 0 && Gif->SBackGroundColor < Gif->SColorMap->ColorCount) {
            const GifColorType& C = Gif->SColorMap->Colors[Gif->SBackGroundColor];
            Fill = static_cast<uint32_t>(C.Red) << 16 | static_cast<uint32_t>(C.Green) << 8 | C.Blue;
        }
    }
    const GifImageDesc& Desc = Frame.Desc;
    const size_t FrameWidth = static_cast<size_t>(Desc.Width);
    std::vector<uint8_t> FramePixels;
    if (Desc.Interlace) {
        if (static_cast<uint64_t>(FrameWidth) * static_cast<uint64_t>(Desc.Height) > Limits::HeldPixels)
            return std::nullopt;
        FramePixels.resize(FrameWidth * static_cast<size_t>(Desc.Height));
        if (!ReadAllRows(Gif, Desc, [&](int Y) { return FramePixels.data() + static_cast<size_t>(Y) * FrameWidth; }))
            return std::nullopt;
    } else {
        FramePixels.resize(FrameWidth);
    }
    const int BitCount = DisplayFormatBitCount(), BytesPerPixel = BitCount / 8;
    if (!Sink.Start({Gif->SWidth, Gif->SHeight, BitCount, nullptr, 0}, TRowOrder::TopDown))
        return std::nullopt;
    std::vector<uint8_t> FillRow(static_cast<size_t>(Gif->SWidth) * static_cast<size_t>(BytesPerPixel));
    for (size_t X = 0; X < FillRow.size(); X += static_cast<size_t>(BytesPerPixel))
        PutPixel(FillRow.data() + X, Fill, BytesPerPixel);
    // The frame may lie partly or wholly off the screen: only the overlap is drawn.
    const int64_t Left = Desc.Left, Top = Desc.Top;
    for (int32_t Y = 0; Y < Gif->SHeight; ++Y) {
        uint8_t* Row = Sink.NextRow();
        std::memcpy(Row, FillRow.data(), FillRow.size());
        const int64_t FrameY = Y - Top;
        if (FrameY >= 0 && FrameY < Desc.Height) {
            const uint8_t* Source = FramePixels.data();
            if (Desc.Interlace)
                Source += static_cast<size_t>(FrameY) * FrameWidth;
            else if (DGifGetLine(Gif, FramePixels.data(), Desc.Width) != GIF_OK)
                return CutShort == csKeepRows ? Sink.FinishCutShort() : std::nullopt;
            for (int32_t FrameX = 0; FrameX < Desc.Width; ++FrameX) {
                const int64_t X = Left + FrameX;
                if (X < 0 || X >= Gif->SWidth)
                    continue;
                const uint8_t Index = Source[FrameX];
                if (Frame.Transparent && Index == Frame.TransparentIndex)
                    continue;
                PutPixel(Row + static_cast<size_t>(X) * BytesPerPixel, Colours[Index], BytesPerPixel);
            }
        }
        Sink.PutRow();
    }
    return Sink.Finish();
}

std::optional<TDecodedBitmap> DecodeGif(const TPictureBytes& Bytes, TPictureSink& Sink, TCutShort CutShort)
{
    TGifSource Source{Bytes.Data(), Bytes.Size(), 0};
    int Error = 0;
    TGifFile Gif(DGifOpen(&Source, ReadFromSource, &Error));
    if (!Gif)
        return std::nullopt;
    TFirstFrame Frame;
    if (!FindFirstFrame(Gif.get(), Frame))
        return std::nullopt;
    if (!Frame.Present)
        return TDecodedBitmap();
    const ColorMapObject* Map = Frame.Desc.ColorMap ? Frame.Desc.ColorMap : Gif->SColorMap;
    if (!Map)
        return std::nullopt;
    // Indexes past the table are black.
    uint32_t Colours[256] = {};
    const int ColourCount = ColourTable(Map, Colours);
    if (Frame.Desc.Width == Gif->SWidth && Frame.Desc.Height == Gif->SHeight && !Frame.Transparent)
        return FrameAsBitmap(Gif.get(), Frame, Colours, ColourCount, Sink, CutShort);
    return ComposeOnScreen(Gif.get(), Frame, Colours, Sink, CutShort);
}

}

std::optional<TDecodedBitmap> DecodeGifCover(TStream& Stream, TPictureSink& Sink, TCutShort CutShort)
{
    try {
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        return DecodeGif(Bytes, Sink, CutShort);
    } catch (...) {
        return std::nullopt;
    }
}
