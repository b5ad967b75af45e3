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
    std::vector<uint8_t> Pixels; // Width x Height indexes, rows top-down
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

bool ReadFrameRows(GifFileType* Gif, TFirstFrame& Frame)
{
    const int Width = Frame.Desc.Width, Height = Frame.Desc.Height;
    Frame.Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
    auto ReadRow = [&](int Y) {
        return DGifGetLine(Gif, Frame.Pixels.data() + static_cast<size_t>(Y) * static_cast<size_t>(Width), Width) ==
               GIF_OK;
    };
    if (!Frame.Desc.Interlace) {
        for (int Y = 0; Y < Height; ++Y)
            if (!ReadRow(Y))
                return false;
        return true;
    }
    // Interlaced rows come in four passes: every 8th from 0, every 8th from
    // 4, every 4th from 2, every 2nd from 1.
    static constexpr int Starts[4] = {0, 4, 2, 1};
    static constexpr int Steps[4] = {8, 8, 4, 2};
    for (int Pass = 0; Pass < 4; ++Pass)
        for (int Y = Starts[Pass]; Y < Height; Y += Steps[Pass])
            if (!ReadRow(Y))
                return false;
    return true;
}

// Reads records up to the end of the first frame; false on a damaged file.
bool ReadFirstFrame(GifFileType* Gif, TFirstFrame& Frame)
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
            if (!PictureSizeAllowed(Frame.Desc.Width, Frame.Desc.Height, 8))
                return false;
            Frame.Present = true;
            return ReadFrameRows(Gif, Frame);
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

int ColourTable(const ColorMapObject* Map, uint32_t* Colours)
{
    const int Count = Map->ColorCount < 256 ? Map->ColorCount : 256;
    for (int I = 0; I < Count; ++I) {
        const GifColorType& C = Map->Colors[I];
        Colours[I] = static_cast<uint32_t>(C.Red) << 16 | static_cast<uint32_t>(C.Green) << 8 | C.Blue;
    }
    return Count;
}

std::optional<TDecodedBitmap> FrameAsBitmap(const TFirstFrame& Frame, const uint32_t* Colours, int ColourCount)
{
    TDecodedBitmap Bitmap;
    if (!Bitmap.Allocate(Frame.Desc.Width, Frame.Desc.Height, 8, Colours, ColourCount))
        return std::nullopt;
    const size_t Width = static_cast<size_t>(Frame.Desc.Width);
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y)
        std::memcpy(Bitmap.Row(Y), Frame.Pixels.data() + static_cast<size_t>(Y) * Width, Width);
    return Bitmap;
}

void PutPixel(uint8_t* Pixel, uint32_t Colour, int BytesPerPixel)
{
    Pixel[0] = static_cast<uint8_t>(Colour);
    Pixel[1] = static_cast<uint8_t>(Colour >> 8);
    Pixel[2] = static_cast<uint8_t>(Colour >> 16);
    if (BytesPerPixel == 4)
        Pixel[3] = 0;
}

std::optional<TDecodedBitmap> ComposeOnScreen(const GifFileType& Gif, const TFirstFrame& Frame,
                                              const uint32_t* Colours)
{
    uint32_t Fill = White;
    if (Frame.Transparent) {
        Fill = WindowColour;
        if (Gif.SColorMap && Gif.SBackGroundColor >= 0 && Gif.SBackGroundColor < Gif.SColorMap->ColorCount) {
            const GifColorType& C = Gif.SColorMap->Colors[Gif.SBackGroundColor];
            Fill = static_cast<uint32_t>(C.Red) << 16 | static_cast<uint32_t>(C.Green) << 8 | C.Blue;
        }
    }
    TDecodedBitmap Bitmap;
    if (!Bitmap.Allocate(Gif.SWidth, Gif.SHeight, DisplayFormatBitCount(), nullptr, 0))
        return std::nullopt;
    const int BytesPerPixel = Bitmap.BitCount() / 8;
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y) {
        uint8_t* Row = Bitmap.Row(Y);
        for (int32_t X = 0; X < Bitmap.Width(); ++X)
            PutPixel(Row + static_cast<size_t>(X) * BytesPerPixel, Fill, BytesPerPixel);
    }
    // The frame may lie partly or wholly off the screen: only the overlap is drawn.
    const int64_t Left = Frame.Desc.Left, Top = Frame.Desc.Top;
    for (int32_t FrameY = 0; FrameY < Frame.Desc.Height; ++FrameY) {
        const int64_t Y = Top + FrameY;
        if (Y < 0 || Y >= Bitmap.Height())
            continue;
        uint8_t* Row = Bitmap.Row(static_cast<int32_t>(Y));
        const uint8_t* Source = Frame.Pixels.data() + static_cast<size_t>(FrameY) * static_cast<size_t>(Frame.Desc.Width);
        for (int32_t FrameX = 0; FrameX < Frame.Desc.Width; ++FrameX) {
            const int64_t X = Left + FrameX;
            if (X < 0 || X >= Bitmap.Width())
                continue;
            const uint8_t Index = Source[FrameX];
            if (Frame.Transparent && Index == Frame.TransparentIndex)
                continue;
            PutPixel(Row + static_cast<size_t>(X) * BytesPerPixel, Colours[Index], BytesPerPixel);
        }
    }
    return Bitmap;
}

std::optional<TDecodedBitmap> DecodeGif(const TPictureBytes& Bytes)
{
    TGifSource Source{Bytes.Data(), Bytes.Size(), 0};
    int Error = 0;
    TGifFile Gif(DGifOpen(&Source, ReadFromSource, &Error));
    if (!Gif)
        return std::nullopt;
    TFirstFrame Frame;
    if (!ReadFirstFrame(Gif.get(), Frame))
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
        return FrameAsBitmap(Frame, Colours, ColourCount);
    return ComposeOnScreen(*Gif, Frame, Colours);
}

}

std::optional<TDecodedBitmap> DecodeGifCover(TStream& Stream)
{
    try {
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        return DecodeGif(Bytes);
    } catch (...) {
        return std::nullopt;
    }
}
