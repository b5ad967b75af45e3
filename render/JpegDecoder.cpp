#include "render/JpegDecoder.h"

#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "core/Limits.h"
#include "platform/ModuleInfo.h"
#include "render/JpegFrameSize.h"
#include "render/PictureBytes.h"

namespace {

// Colour quantisation keeps 20 of the 256 entries free, as for a system palette.
constexpr int QuantizedColors = 236;

struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

void ExitToDecoder(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(Info->err)->Jump, 1);
}

// Each scan of a progressive or multi-scan file is a pass over every block of
// the picture, and a scan may take only a few bytes: a file of thousands of
// repeated scans costs minutes.
void LimitScans(j_common_ptr Info)
{
    if (reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > Limits::JpegScans)
        ExitToDecoder(Info);
}

// Warnings (premature end of data among them) never stop the decoding.
void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

struct TJpegJob {
    const uint8_t* Data;
    size_t Size;
    int ScaleDenominator;
    bool QuantizeAlways;
    TDecodedBitmap* Target;
};

void SetPalette(const jpeg_decompress_struct& Info, uint32_t* Palette)
{
    const int Count = Info.actual_number_of_colors;
    for (int I = 0; I < Count; ++I) {
        if (Info.out_color_components == 1) {
            const uint32_t Level = Info.colormap[0][I];
            Palette[I] = Level << 16 | Level << 8 | Level;
        } else {
            Palette[I] = static_cast<uint32_t>(Info.colormap[0][I]) << 16 |
                         static_cast<uint32_t>(Info.colormap[1][I]) << 8 | Info.colormap[2][I];
        }
    }
}

// CMYK as the library delivers it, to RGB: R = C*K/255, G = M*K/255,
// B = Y*K/255, fourth byte 0xFF.
void ConvertCmykRows(TDecodedBitmap& Bitmap)
{
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y) {
        uint8_t* Pixel = Bitmap.Row(Y);
        for (int32_t X = 0; X < Bitmap.Width(); ++X, Pixel += 4) {
            const unsigned C = Pixel[0], M = Pixel[1], Yellow = Pixel[2], K = Pixel[3];
            Pixel[0] = static_cast<uint8_t>(Yellow * K / 255);
            Pixel[1] = static_cast<uint8_t>(M * K / 255);
            Pixel[2] = static_cast<uint8_t>(C * K / 255);
            Pixel[3] = 0xFF;
        }
    }
}

// Holds no object with a destructor: the library leaves it by longjmp.
bool RunJpegLibrary(TJpegJob& Job)
{
    jpeg_decompress_struct Info;
    TJpegErrorManager Errors;
    jpeg_progress_mgr Progress{};
    Progress.progress_monitor = LimitScans;
    Info.err = jpeg_std_error(&Errors.Public);
    Errors.Public.error_exit = ExitToDecoder;
    Errors.Public.emit_message = IgnoreMessage;
    Errors.Public.output_message = IgnoreOutput;
    if (setjmp(Errors.Jump)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_create_decompress(&Info);
    Info.mem->max_memory_to_use = Limits::JpegLibraryMemory;
    Info.progress = &Progress;
    jpeg_mem_src(&Info, Job.Data, static_cast<unsigned long>(Job.Size));
    jpeg_read_header(&Info, TRUE);

    Info.scale_num = 1;
    Info.scale_denom = static_cast<unsigned>(Job.ScaleDenominator);
    Info.do_block_smoothing = TRUE;
    const bool Cmyk = Info.out_color_space == JCS_CMYK;
    const bool Grey = Info.out_color_space == JCS_GRAYSCALE;
    // CMYK cannot be quantised into colours: it stays 32-bit on any display.
    if (Grey || (Job.QuantizeAlways && !Cmyk)) {
        if (!Grey)
            Info.out_color_space = JCS_RGB;
        Info.quantize_colors = TRUE;
        Info.desired_number_of_colors = QuantizedColors;
    } else if (!Cmyk) {
        Info.out_color_space = JCS_EXT_BGR;
    }
    jpeg_calc_output_dimensions(&Info);
    const int BitCount = Info.quantize_colors ? 8 : Cmyk ? 32 : 24;
    if (!PictureSizeAllowed(Info.output_width, Info.output_height, BitCount)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_start_decompress(&Info);
    uint32_t Palette[256];
    if (Info.quantize_colors)
        SetPalette(Info, Palette);
    if (static_cast<int>(Info.output_components) * 8 != BitCount ||
        !Job.Target->Allocate(static_cast<int32_t>(Info.output_width), static_cast<int32_t>(Info.output_height),
                              BitCount, Palette, Info.quantize_colors ? Info.actual_number_of_colors : 0)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    JSAMPROW Rows[16];
    while (Info.output_scanline < Info.output_height) {
        JDIMENSION Count = 0;
        while (Count < 16 && Info.output_scanline + Count < Info.output_height) {
            Rows[Count] = Job.Target->Row(static_cast<int32_t>(Info.output_scanline + Count));
            ++Count;
        }
        if (jpeg_read_scanlines(&Info, Rows, Count) == 0)
            break;
    }
    // The trailing data are of no interest: no jpeg_finish_decompress.
    jpeg_destroy_decompress(&Info);
    return true;
}

}

std::optional<TDecodedBitmap> DecodeJpegCover(TStream& Stream, int32_t Width, int32_t Height)
{
    try {
        const int Denominator = ChooseJpegScale(Stream, Width, Height);
        Stream.SetPosition(0);
        const TPictureBytes Bytes(Stream);
        if (Bytes.Size() == 0 || Bytes.Size() > ULONG_MAX)
            return std::nullopt;
        TDecodedBitmap Bitmap;
        TJpegJob Job{Bytes.Data(), Bytes.Size(), Denominator, platform::DisplayBitsPerPixel() <= 8, &Bitmap};
        if (!RunJpegLibrary(Job))
            return std::nullopt;
        if (Bitmap.BitCount() == 32)
            ConvertCmykRows(Bitmap);
        return Bitmap;
    } catch (...) {
        return std::nullopt;
    }
}
