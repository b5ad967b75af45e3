#include <stdexcept>

#include <png.h>

#include "tests/support/PictureBuilders.h"

namespace {
void Append(png_structp Png, png_bytep Data, png_size_t Count)
{
    auto* Out = static_cast<TBytes*>(png_get_io_ptr(Png));
    Out->insert(Out->end(), Data, Data + Count);
}
void NoFlush(png_structp) {}
}

int PngChannels(int ColourType)
{
    switch (ColourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

TPngSpec PngSpecOf(int32_t Width, int32_t Height, int ColourType,
                   const std::function<void(int32_t X, int32_t Y, uint16_t* Samples)>& Sample)
{
    TPngSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.ColourType = ColourType;
    const auto Channels = static_cast<size_t>(PngChannels(ColourType));
    Spec.Samples.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height) * Channels);
    uint16_t* Pixel = Spec.Samples.data();
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X, Pixel += Channels)
            Sample(X, Y, Pixel);
    return Spec;
}

TBytes EncodePng(const TPngSpec& Spec)
{
    TBytes Out;
    png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    if (setjmp(png_jmpbuf(Png)))
        throw std::runtime_error("png encoding failed");
    png_set_write_fn(Png, &Out, Append, NoFlush);
    png_set_IHDR(Png, Info, static_cast<png_uint_32>(Spec.Width), static_cast<png_uint_32>(Spec.Height), Spec.BitDepth,
                 Spec.ColourType, Spec.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> Palette;
    for (uint32_t C : Spec.Palette)
        Palette.push_back({static_cast<png_byte>(C >> 16), static_cast<png_byte>(C >> 8), static_cast<png_byte>(C)});
    if (!Palette.empty())
        png_set_PLTE(Png, Info, Palette.data(), static_cast<int>(Palette.size()));
    if (!Spec.PaletteAlpha.empty())
        png_set_tRNS(Png, Info, Spec.PaletteAlpha.data(), static_cast<int>(Spec.PaletteAlpha.size()), nullptr);
    if (Spec.KeyGrey) {
        png_color_16 Key{};
        Key.gray = *Spec.KeyGrey;
        png_set_tRNS(Png, Info, nullptr, 0, &Key);
    }
    if (Spec.Gamma)
        png_set_gAMA_fixed(Png, Info, static_cast<png_fixed_point>(*Spec.Gamma));
    png_write_info(Png, Info);

    const int Channels = PngChannels(Spec.ColourType);
    const size_t SamplesPerRow = static_cast<size_t>(Spec.Width) * static_cast<size_t>(Channels);
    const size_t RowBytes = (SamplesPerRow * static_cast<size_t>(Spec.BitDepth) + 7) / 8;
    std::vector<std::vector<png_byte>> Rows(static_cast<size_t>(Spec.Height), std::vector<png_byte>(RowBytes));
    for (size_t Y = 0; Y < Rows.size(); ++Y) {
        for (size_t I = 0; I < SamplesPerRow; ++I) {
            const uint16_t Sample = Spec.Samples.at(Y * SamplesPerRow + I);
            if (Spec.BitDepth == 16) {
                Rows[Y][2 * I] = static_cast<png_byte>(Sample >> 8);
                Rows[Y][2 * I + 1] = static_cast<png_byte>(Sample);
            } else if (Spec.BitDepth == 8) {
                Rows[Y][I] = static_cast<png_byte>(Sample);
            } else {
                const size_t Bit = I * static_cast<size_t>(Spec.BitDepth);
                Rows[Y][Bit / 8] |= static_cast<png_byte>(Sample << (8 - Spec.BitDepth - Bit % 8));
            }
        }
    }
    std::vector<png_bytep> Pointers;
    for (auto& Row : Rows)
        Pointers.push_back(Row.data());
    png_write_image(Png, Pointers.data());
    png_write_end(Png, Info);
    png_destroy_write_struct(&Png, &Info);
    return Out;
}
