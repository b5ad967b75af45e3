#include "render/PngDecoder.h"

#include <cmath>
#include <cstring>

#include <png.h>

#include "render/PictureBytes.h"

namespace {

struct TPngJob {
    const uint8_t* Data;
    size_t Size;
    size_t Position;
    TDecodedBitmap* Target;
};

void ReadFromJob(png_structp Png, png_bytep Buffer, png_size_t Count)
{
    auto* Job = static_cast<TPngJob*>(png_get_io_ptr(Png));
    if (Job->Size - Job->Position < Count)
        png_error(Png, "read past the end");
    std::memcpy(Buffer, Job->Data + Job->Position, Count);
    Job->Position += Count;
}

void ExitToDecoder(png_structp Png, png_const_charp) { png_longjmp(Png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// 255 * (v / 255) ^ (1 / (g / 100000 * 2.2)), rounded, for a gAMA value g.
void MakeGammaTable(png_fixed_point Gamma, uint8_t* Table)
{
    const double Exponent = 1.0 / (static_cast<double>(Gamma) / 100000.0 * 2.2);
    for (int V = 0; V < 256; ++V) {
        const long Mapped = std::lround(255.0 * std::pow(V / 255.0, Exponent));
        Table[V] = static_cast<uint8_t>(Mapped < 0 ? 0 : Mapped > 255 ? 255 : Mapped);
    }
}

// A grey picture of 1, 2 or 4 bits has no palette of its own: its levels
// spread evenly from black to white.
int GreyRamp(int BitDepth, uint32_t* Palette)
{
    const int Count = 1 << BitDepth;
    for (int I = 0; I < Count; ++I) {
        const uint32_t Level = static_cast<uint32_t>(I * 255 / (Count - 1));
        Palette[I] = Level << 16 | Level << 8 | Level;
    }
    return Count;
}

// Rows of 2-bit pixels, read packed into the front of each 4-bit row, are
// widened in place from the end.
void Widen2BitRows(TDecodedBitmap& Bitmap)
{
    const int32_t Width = Bitmap.Width();
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y) {
        uint8_t* Row = Bitmap.Row(Y);
        for (int32_t X = Width - 1; X >= 0; --X) {
            const uint8_t Value = (Row[X / 4] >> (6 - 2 * (X % 4))) & 3;
            uint8_t& Target = Row[X / 2];
            Target = (X % 2 == 0) ? static_cast<uint8_t>((Target & 0x0F) | Value << 4)
                                  : static_cast<uint8_t>((Target & 0xF0) | Value);
        }
    }
}

void MapColourSamples(TDecodedBitmap& Bitmap, const uint8_t* Table)
{
    const size_t RowBytes = static_cast<size_t>(Bitmap.Width()) * 3;
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y) {
        uint8_t* Row = Bitmap.Row(Y);
        for (size_t I = 0; I < RowBytes; ++I)
            Row[I] = Table[Row[I]];
    }
}

// Holds no object with a destructor: libpng leaves it by longjmp.
bool RunPngLibrary(TPngJob& Job)
{
    png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ExitToDecoder, IgnoreWarning);
    if (!Png)
        return false;
    png_infop Info = png_create_info_struct(Png);
    if (!Info) {
        png_destroy_read_struct(&Png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(Png))) {
        png_destroy_read_struct(&Png, &Info, nullptr);
        return false;
    }
    png_set_read_fn(Png, &Job, ReadFromJob);
    // Text, colour profiles, suggested palettes and Exif data are of no use
    // to a thumbnail, and the compressed ones cost inflating: a few kilobytes
    // of zTXt chunks may hold gigabytes. They are passed over unread.
    static const png_byte Unused[] = "iCCP\0iTXt\0sPLT\0tEXt\0zTXt\0eXIf";
    png_set_keep_unknown_chunks(Png, PNG_HANDLE_CHUNK_NEVER, Unused, static_cast<int>(sizeof Unused / 5));
    png_read_info(Png, Info);

    png_uint_32 Width = 0, Height = 0;
    int BitDepth = 0, ColourType = 0, Interlace = 0;
    png_get_IHDR(Png, Info, &Width, &Height, &BitDepth, &ColourType, &Interlace, nullptr, nullptr);
    png_fixed_point Gamma = 0;
    uint8_t GammaTable[256];
    const bool MapGamma = png_get_gAMA_fixed(Png, Info, &Gamma) != 0 && Gamma > 0;
    if (MapGamma)
        MakeGammaTable(Gamma, GammaTable);

    const bool Palette = ColourType == PNG_COLOR_TYPE_PALETTE;
    const bool Grey = (ColourType & PNG_COLOR_MASK_COLOR) == 0;
    int BitCount = 24;
    uint32_t Colours[256];
    int ColourCount = 0;
    if (BitDepth < 8 || Palette) {
        BitCount = BitDepth == 1 ? 1 : BitDepth == 8 ? 8 : 4;
        if (Palette) {
            png_colorp Entries = nullptr;
            int EntryCount = 0;
            png_get_PLTE(Png, Info, &Entries, &EntryCount);
            ColourCount = EntryCount < (1 << BitCount) ? EntryCount : 1 << BitCount;
            for (int I = 0; I < ColourCount; ++I) {
                png_color C = Entries[I];
                if (MapGamma)
                    C = {GammaTable[C.red], GammaTable[C.green], GammaTable[C.blue]};
                Colours[I] = static_cast<uint32_t>(C.red) << 16 | static_cast<uint32_t>(C.green) << 8 | C.blue;
            }
        } else {
            ColourCount = GreyRamp(BitDepth, Colours);
        }
    } else {
        png_set_strip_16(Png);
        png_set_strip_alpha(Png);
        if (Grey)
            png_set_gray_to_rgb(Png);
        png_set_bgr(Png);
    }
    const int Passes = png_set_interlace_handling(Png);
    png_read_update_info(Png, Info);

    if (!Job.Target->Allocate(static_cast<int32_t>(Width), static_cast<int32_t>(Height), BitCount, Colours,
                              ColourCount) ||
        png_get_rowbytes(Png, Info) > Job.Target->Stride()) {
        png_destroy_read_struct(&Png, &Info, nullptr);
        return false;
    }
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (png_uint_32 Y = 0; Y < Height; ++Y)
            png_read_row(Png, Job.Target->Row(static_cast<int32_t>(Y)), nullptr);
    png_destroy_read_struct(&Png, &Info, nullptr);

    if (BitDepth == 2)
        Widen2BitRows(*Job.Target);
    if (MapGamma && BitCount == 24 && !Grey)
        MapColourSamples(*Job.Target, GammaTable);
    return true;
}

}

std::optional<TDecodedBitmap> DecodePngCover(TStream& Stream)
{
    try {
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        TDecodedBitmap Bitmap;
        TPngJob Job{Bytes.Data(), Bytes.Size(), 0, &Bitmap};
        if (!RunPngLibrary(Job))
            return std::nullopt;
        return Bitmap;
    } catch (...) {
        return std::nullopt;
    }
}
