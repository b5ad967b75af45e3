#include "render/JpegDecoder.h"

#include <climits>
#include <cstddef>

#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "platform/ModuleInfo.h"
#include "render/JpegFrameSize.h"
#include "render/JpegLibrary.h"
#include "render/JpegSource.h"
#include "render/PictureBytes.h"

namespace {

// Colour quantisation keeps 20 of the 256 entries free, as for a system palette.
constexpr int QuantizedColors = 236;

struct TWorkBudget {
    jpeg_progress_mgr Public;
    const uint8_t* Data = nullptr; // the bytes read from memory; null when read from a stream
    size_t Size = 0;
    bool CountBytes = false;
    int Scan = 0;
    uint64_t BlockPasses = 0;
};

// Called before each row of blocks is read and each row is put out: charges
// each new scan, whose components are known once its header is read, before
// its data, and the bytes read so far.
void ChargeWork(j_common_ptr Common)
{
    auto* Info = reinterpret_cast<j_decompress_ptr>(Common);
    auto* Budget = reinterpret_cast<TWorkBudget*>(Info->progress);
    if (Info->input_scan_number != Budget->Scan) {
        Budget->Scan = Info->input_scan_number;
        for (int I = 0; I < Info->comps_in_scan; ++I)
            Budget->BlockPasses +=
                uint64_t{Info->cur_comp_info[I]->width_in_blocks} * Info->cur_comp_info[I]->height_in_blocks;
    }
    uint64_t Bytes = 0;
    if (Budget->CountBytes && !Budget->Data) {
        Bytes = StreamBytesTaken(*Info);
    } else if (Budget->CountBytes) {
        // Past the end the source reads from a marker of its own.
        const JOCTET* Next = Info->src->next_input_byte;
        Bytes = Next >= Budget->Data && Next <= Budget->Data + Budget->Size ? static_cast<uint64_t>(Next - Budget->Data)
                                                                             : Budget->Size;
    }
    if (Budget->Scan > Limits::JpegScans || 2 * Budget->BlockPasses + Bytes > Limits::JpegDecodingWork)
        ExitToJump(Common);
}

// The picture is Size bytes at Data, or, when Data is null, Stream's content.
struct TJpegJob {
    const uint8_t* Data;
    size_t Size;
    TStream* Stream;
    int32_t BoxWidth;
    int32_t BoxHeight;
    bool QuantizeAlways;
    TPictureSink* Sink;
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
void ConvertCmykRow(uint8_t* Pixel, JDIMENSION Width)
{
    for (JDIMENSION X = 0; X < Width; ++X, Pixel += 4) {
        const unsigned C = Pixel[0], M = Pixel[1], Yellow = Pixel[2], K = Pixel[3];
        Pixel[0] = static_cast<uint8_t>(Yellow * K / 255);
        Pixel[1] = static_cast<uint8_t>(M * K / 255);
        Pixel[2] = static_cast<uint8_t>(C * K / 255);
        Pixel[3] = 0xFF;
    }
}

// Holds no object with a destructor: the library leaves it by longjmp.
bool RunJpegLibrary(TJpegJob& Job)
{
    jpeg_decompress_struct Info;
    TJpegErrorManager Errors;
    TWorkBudget Budget{};
    Budget.Public.progress_monitor = ChargeWork;
    Budget.Data = Job.Data;
    Budget.Size = Job.Size;
    UseErrorManager(Info, Errors);
    if (setjmp(Errors.Jump)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_create_decompress(&Info);
    Info.mem->max_memory_to_use = Limits::JpegLibraryMemory;
    Info.progress = &Budget.Public;
    if (Job.Data)
        jpeg_mem_src(&Info, Job.Data, static_cast<unsigned long>(Job.Size));
    else
        UseStreamSource(Info, *Job.Stream);
    jpeg_read_header(&Info, TRUE);
    Budget.CountBytes = jpeg_has_multiple_scans(&Info);

    // The scale comes from the size the library itself has read.
    const TJpegFrameSize Frame{true, static_cast<int32_t>(Info.image_width), static_cast<int32_t>(Info.image_height)};
    Info.scale_num = 1;
    Info.scale_denom = static_cast<unsigned>(JpegScaleFor(Frame, Job.BoxWidth, Job.BoxHeight));
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
    // Refused before jpeg_start_decompress, which reads every scan of a
    // progressive file.
    if (Info.output_width > INT32_MAX || Info.output_height > INT32_MAX ||
        !Job.Sink->Accepts(static_cast<int32_t>(Info.output_width), static_cast<int32_t>(Info.output_height),
                           BitCount)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_start_decompress(&Info);
    uint32_t Palette[256];
    if (Info.quantize_colors)
        SetPalette(Info, Palette);
    const TPictureShape Shape{static_cast<int32_t>(Info.output_width), static_cast<int32_t>(Info.output_height),
                              BitCount, Palette, Info.quantize_colors ? Info.actual_number_of_colors : 0};
    if (static_cast<int>(Info.output_components) * 8 != BitCount || !Job.Sink->Start(Shape, TRowOrder::TopDown)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    while (Info.output_scanline < Info.output_height) {
        JSAMPROW Row = Job.Sink->NextRow();
        if (jpeg_read_scanlines(&Info, &Row, 1) == 0)
            break;
        if (Cmyk)
            ConvertCmykRow(Row, Info.output_width);
        Job.Sink->PutRow();
    }
    // The trailing data are of no interest: no jpeg_finish_decompress.
    jpeg_destroy_decompress(&Info);
    return true;
}

}

std::optional<TDecodedBitmap> DecodeJpegCover(TStream& Stream, int32_t Width, int32_t Height, TPictureSink& Sink)
{
    try {
        Stream.SetPosition(0);
        TJpegJob Job{nullptr, 0, &Stream, Width, Height, platform::DisplayBitsPerPixel() <= 8, &Sink};
        // A picture in memory is read in place; one in a file is read in
        // pieces as the library asks for them.
        std::optional<TPictureBytes> Bytes;
        if (dynamic_cast<TCustomMemoryStream*>(&Stream)) {
            Bytes.emplace(Stream);
            Job.Data = Bytes->Data();
            Job.Size = Bytes->Size();
            if (Job.Size == 0 || Job.Size > ULONG_MAX)
                return std::nullopt;
        } else if (Stream.Size() <= 0) {
            return std::nullopt;
        }
        if (!RunJpegLibrary(Job))
            return std::nullopt;
        return Sink.Finish();
    } catch (...) {
        return std::nullopt;
    }
}
