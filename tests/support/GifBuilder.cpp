#include <stdexcept>
#include <utility>

#include <gif_lib.h>

#include "tests/support/PictureBuilders.h"

namespace {

int Append(GifFileType* Gif, const GifByteType* Data, int Count)
{
    auto* Out = static_cast<TBytes*>(Gif->UserData);
    Out->insert(Out->end(), Data, Data + Count);
    return Count;
}

// giflib wants tables of 2^n entries: the rest are black.
ColorMapObject* MakeMap(const std::vector<uint32_t>& Colours)
{
    if (Colours.empty())
        return nullptr;
    int Size = 2;
    while (Size < static_cast<int>(Colours.size()))
        Size *= 2;
    std::vector<GifColorType> Entries(static_cast<size_t>(Size), GifColorType{0, 0, 0});
    for (size_t I = 0; I < Colours.size(); ++I)
        Entries[I] = {static_cast<GifByteType>(Colours[I] >> 16), static_cast<GifByteType>(Colours[I] >> 8),
                      static_cast<GifByteType>(Colours[I])};
    return GifMakeMapObject(Size, Entries.data());
}

void Check(bool Ok)
{
    if (!Ok)
        throw std::runtime_error("gif encoding failed");
}

}

TBytes EncodeGif(const TGifSpec& Spec)
{
    TBytes Out;
    int Error = 0;
    GifFileType* Gif = EGifOpen(&Out, Append, &Error);
    Check(Gif != nullptr);
    EGifSetGifVersion(Gif, true);
    ColorMapObject* Global = MakeMap(Spec.GlobalColours);
    Check(EGifPutScreenDesc(Gif, Spec.ScreenWidth, Spec.ScreenHeight, 8, Spec.BackgroundIndex, Global) == GIF_OK);
    GifFreeMapObject(Global);
    for (const TGifFrameSpec& Frame : Spec.Frames) {
        if (Frame.TransparentIndex >= 0) {
            // Graphic control: flags (transparent colour given), delay, index.
            const GifByteType Control[4] = {1, 10, 0, static_cast<GifByteType>(Frame.TransparentIndex)};
            Check(EGifPutExtension(Gif, GRAPHICS_EXT_FUNC_CODE, 4, Control) == GIF_OK);
        }
        ColorMapObject* Local = MakeMap(Frame.LocalColours);
        Check(EGifPutImageDesc(Gif, Frame.Left, Frame.Top, Frame.Width, Frame.Height, Frame.Interlaced, Local) ==
              GIF_OK);
        GifFreeMapObject(Local);
        std::vector<int> Order;
        if (Frame.Interlaced) {
            for (auto [Start, Step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int Y = Start; Y < Frame.Height; Y += Step)
                    Order.push_back(Y);
        } else {
            for (int Y = 0; Y < Frame.Height; ++Y)
                Order.push_back(Y);
        }
        for (int Y : Order) {
            std::vector<GifPixelType> Line(Frame.Pixels.begin() + static_cast<ptrdiff_t>(Y) * Frame.Width,
                                           Frame.Pixels.begin() + static_cast<ptrdiff_t>(Y + 1) * Frame.Width);
            Check(EGifPutLine(Gif, Line.data(), Frame.Width) == GIF_OK);
        }
    }
    Check(EGifCloseFile(Gif, &Error) == GIF_OK);
    return Out;
}

TBytes GifOf(int32_t Width, int32_t Height, std::vector<uint32_t> Colours, const TPixelFunction& Index)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Width;
    Spec.ScreenHeight = Height;
    Spec.GlobalColours = std::move(Colours);
    TGifFrameSpec Frame;
    Frame.Width = Width;
    Frame.Height = Height;
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X)
            Frame.Pixels.push_back(static_cast<uint8_t>(Index(X, Y)));
    Spec.Frames.push_back(std::move(Frame));
    return EncodeGif(Spec);
}
