#include <stdexcept>

#include <png.h>
#include <zlib.h>

#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

namespace {
void AppendBigEndian(TBytes& Out, uint32_t Value)
{
    for (int Shift : {24, 16, 8, 0})
        Out.push_back(static_cast<uint8_t>(Value >> Shift));
}

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

void AppendPngChunk(TBytes& Png, const char* Type, const TBytes& Data)
{
    AppendBigEndian(Png, static_cast<uint32_t>(Data.size()));
    const size_t TypeAt = Png.size();
    Png.insert(Png.end(), Type, Type + 4);
    Png.insert(Png.end(), Data.begin(), Data.end());
    AppendBigEndian(Png, static_cast<uint32_t>(crc32(0, Png.data() + TypeAt, static_cast<uInt>(Data.size() + 4))));
}

TBytes ZeroPng(uint32_t Width, uint32_t Height, uint8_t ColourType, uint8_t BitDepth, bool Interlaced, uint64_t Extra)
{
    TBytes Png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TBytes Header;
    AppendBigEndian(Header, Width);
    AppendBigEndian(Header, Height);
    Header.insert(Header.end(), {BitDepth, ColourType, 0, 0, static_cast<uint8_t>(Interlaced)});
    AppendPngChunk(Png, "IHDR", Header);
    const uint64_t BitsPerPixel = uint64_t{BitDepth} * static_cast<uint64_t>(PngChannels(ColourType));
    // Passes: first column and row, column and row steps; Adam7 has seven.
    static constexpr uint32_t Adam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static constexpr uint32_t Whole[1][4] = {{0, 0, 1, 1}};
    const uint32_t(*Passes)[4] = Interlaced ? Adam7 : Whole;
    uint64_t RawSize = Extra;
    for (int P = 0; P < (Interlaced ? 7 : 1); ++P) {
        const uint32_t* Pass = Passes[P];
        const uint64_t Columns = Width > Pass[0] ? (Width - Pass[0] + Pass[2] - 1) / Pass[2] : 0;
        const uint64_t Rows = Height > Pass[1] ? (Height - Pass[1] + Pass[3] - 1) / Pass[3] : 0;
        if (Columns && Rows)
            RawSize += Rows * (1 + (Columns * BitsPerPixel + 7) / 8);
    }
    TBytes Stream = {0x78, 0x01};
    const TBytes Zeros = DeflatedRun(RawSize);
    Stream.insert(Stream.end(), Zeros.begin(), Zeros.end());
    // Adler-32 of zeros: the first sum stays 1, the second adds 1 per byte.
    AppendBigEndian(Stream, static_cast<uint32_t>((RawSize % 65521) << 16 | 1));
    AppendPngChunk(Png, "IDAT", Stream);
    AppendPngChunk(Png, "IEND", {});
    return Png;
}
