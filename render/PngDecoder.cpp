#include "render/PngDecoder.h"

#include <cmath>
#include <cstring>

#include <png.h>

#include "render/PictureBytes.h"

namespace {

// Bytes handed to libpng at a time: once the last row is out, at most this
// much more is looked at, however much compressed data follows the rows.
constexpr size_t FeedSize = 64 * 1024;

struct TPngJob {
    TPictureSink* Sink;
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int BitDepth = 0;
    bool Interlaced = false;
    bool MapGamma = false;
    bool MapColours = false; // the gamma table applies to every sample
    uint8_t GammaTable[256] = {};
    TDecodedBitmap* Held = nullptr; // the interlaced picture, filled pass by pass
    bool Complete = false;
    bool RowsStarted = false; // Start took a picture that is not interlaced
};

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

// A row of 2-bit pixels, read packed into the front of a 4-bit row, is
// widened in place from the end; gamma maps colour samples.
void FinishRow(const TPngJob& Job, uint8_t* Row)
{
    if (Job.BitDepth == 2) {
        for (int64_t X = static_cast<int64_t>(Job.Width) - 1; X >= 0; --X) {
            const uint8_t Value = (Row[X / 4] >> (6 - 2 * (X % 4))) & 3;
            uint8_t& Target = Row[X / 2];
            Target = (X % 2 == 0) ? static_cast<uint8_t>((Target & 0x0F) | Value << 4)
                                  : static_cast<uint8_t>((Target & 0xF0) | Value);
        }
    }
    if (Job.MapColours) {
        const size_t RowBytes = static_cast<size_t>(Job.Width) * 3;
        for (size_t I = 0; I < RowBytes; ++I)
            Row[I] = Job.GammaTable[Row[I]];
    }
}

// Called by libpng once the chunks before the image data are read: sets the
// transformations and starts the sink, or stops the decoding.
void StartPicture(png_structp Png, png_infop Info)
{
    TPngJob& Job = *static_cast<TPngJob*>(png_get_progressive_ptr(Png));
    int ColourType = 0, Interlace = 0;
    png_get_IHDR(Png, Info, &Job.Width, &Job.Height, &Job.BitDepth, &ColourType, &Interlace, nullptr, nullptr);
    Job.Interlaced = Interlace != PNG_INTERLACE_NONE;
    png_fixed_point Gamma = 0;
    Job.MapGamma = png_get_gAMA_fixed(Png, Info, &Gamma) != 0 && Gamma > 0;
    if (Job.MapGamma)
        MakeGammaTable(Gamma, Job.GammaTable);

    const bool Palette = ColourType == PNG_COLOR_TYPE_PALETTE;
    const bool Grey = (ColourType & PNG_COLOR_MASK_COLOR) == 0;
    int BitCount = 24;
    uint32_t Colours[256];
    int ColourCount = 0;
    if (Job.BitDepth < 8 || Palette) {
        BitCount = Job.BitDepth == 1 ? 1 : Job.BitDepth == 8 ? 8 : 4;
        if (Palette) {
            png_colorp Entries = nullptr;
            int EntryCount = 0;
            png_get_PLTE(Png, Info, &Entries, &EntryCount);
            ColourCount = EntryCount < (1 << BitCount) ? EntryCount : 1 << BitCount;
            for (int I = 0; I < ColourCount; ++I) {
                png_color C = Entries[I];
                if (Job.MapGamma)
                    C = {Job.GammaTable[C.red], Job.GammaTable[C.green], Job.GammaTable[C.blue]};
                Colours[I] = static_cast<uint32_t>(C.red) << 16 | static_cast<uint32_t>(C.green) << 8 | C.blue;
            }
        } else {
            ColourCount = GreyRamp(Job.BitDepth, Colours);
        }
    } else {
        png_set_strip_16(Png);
        png_set_strip_alpha(Png);
        if (Grey)
            png_set_gray_to_rgb(Png);
        png_set_bgr(Png);
        Job.MapColours = Job.MapGamma && !Grey;
    }
    png_set_interlace_handling(Png);
    png_read_update_info(Png, Info);

    const TPictureShape Shape{static_cast<int32_t>(Job.Width), static_cast<int32_t>(Job.Height), BitCount, Colours,
                              ColourCount};
    if (Job.Width > INT32_MAX || Job.Height > INT32_MAX ||
        png_get_rowbytes(Png, Info) > platform::DibStride(Shape.Width, BitCount))
        png_error(Png, "no picture");
    if (Job.Interlaced)
        Job.Held = Job.Sink->StartHeld(Shape);
    if (Job.Interlaced ? !Job.Held : !Job.Sink->Start(Shape, TRowOrder::TopDown))
        png_error(Png, "no picture");
    Job.RowsStarted = !Job.Interlaced;
}

// Called by libpng for every row; for an interlaced picture, for every row of
// every pass, the last call being the last row of the seventh.
void TakeRow(png_structp Png, png_bytep NewRow, png_uint_32 RowNumber, int Pass)
{
    TPngJob& Job = *static_cast<TPngJob*>(png_get_progressive_ptr(Png));
    if (RowNumber >= Job.Height || Job.Complete)
        return;
    if (Job.Interlaced) {
        png_progressive_combine_row(Png, Job.Held->Row(static_cast<int32_t>(RowNumber)), NewRow);
        Job.Complete = Pass == 6 && RowNumber + 1 == Job.Height;
        if (Job.Complete)
            for (int32_t Y = 0; Y < Job.Held->Height(); ++Y)
                FinishRow(Job, Job.Held->Row(Y));
        return;
    }
    uint8_t* Row = Job.Sink->NextRow();
    png_progressive_combine_row(Png, Row, NewRow);
    FinishRow(Job, Row);
    Job.Sink->PutRow();
    Job.Complete = RowNumber + 1 == Job.Height;
}

// Holds no object with a destructor: libpng leaves it by longjmp. True when
// every byte was taken without an error: the picture is complete, or its
// data ended early.
bool RunPngLibrary(TPngJob& Job, const uint8_t* Data, size_t Size)
{
    png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ExitToDecoder, IgnoreWarning);
    if (!Png)
        return false;
    png_infop Info = png_create_info_struct(Png);
    if (!Info) {
        png_destroy_read_struct(&Png, nullptr, nullptr);
        return false;
    }
    // Once the last row is in, nothing that follows can take the picture away.
    if (setjmp(png_jmpbuf(Png))) {
        png_destroy_read_struct(&Png, &Info, nullptr);
        return Job.Complete;
    }
    png_set_progressive_read_fn(Png, &Job, StartPicture, TakeRow, nullptr);
    // Text, colour profiles, suggested palettes and Exif data are of no use
    // to a thumbnail, and the compressed ones cost inflating: a few kilobytes
    // of zTXt chunks may hold gigabytes. They are passed over unread.
    static const png_byte Unused[] = "iCCP\0iTXt\0sPLT\0tEXt\0zTXt\0eXIf";
    png_set_keep_unknown_chunks(Png, PNG_HANDLE_CHUNK_NEVER, Unused, static_cast<int>(sizeof Unused / 5));
    // Whatever follows the last row (more compressed data, the chunks after
    // the image) is never read: a few bytes may inflate to gigabytes.
    for (size_t Position = 0; Position < Size && !Job.Complete; Position += FeedSize) {
        const size_t Count = Size - Position < FeedSize ? Size - Position : FeedSize;
        png_process_data(Png, Info, const_cast<png_bytep>(Data + Position), Count);
    }
    png_destroy_read_struct(&Png, &Info, nullptr);
    return true;
}

}

std::optional<TDecodedBitmap> DecodePngCover(TStream& Stream, TPictureSink& Sink, TCutShort CutShort)
{
    try {
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        TPngJob Job{&Sink};
        if (!RunPngLibrary(Job, Bytes.Data(), Bytes.Size()))
            return std::nullopt;
        if (Job.Complete)
            return Sink.Finish();
        if (CutShort == csKeepRows && Job.RowsStarted)
            return Sink.FinishCutShort();
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}
