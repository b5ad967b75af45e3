#include "host/BitmapFiles.h"

#include <png.h>
#include <zlib.h>

#include <cstring>

uint32_t PixelRGB(const TBitmapData& Bitmap, int32_t X, int32_t Y)
{
    const size_t Stride = platform::DibStride(Bitmap.Width, Bitmap.BitCount);
    const uint8_t* Row = Bitmap.Pixels() + static_cast<size_t>(Bitmap.Height - 1 - Y) * Stride;
    auto Palette = [&](unsigned Index) -> uint32_t {
        return Index < Bitmap.ColorTable.size() ? Bitmap.ColorTable[Index] & 0xFFFFFF : 0;
    };
    switch (Bitmap.BitCount) {
    case 1: return Palette((Row[X / 8] >> (7 - X % 8)) & 1);
    case 4: return Palette((Row[X / 2] >> (X % 2 ? 0 : 4)) & 0xF);
    case 8: return Palette(Row[X]);
    case 24: {
        const uint8_t* P = Row + X * 3;
        return static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[1]) << 8 | P[0];
    }
    case 32: {
        const uint8_t* P = Row + X * 4;
        return static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[1]) << 8 | P[0];
    }
    default: return 0;
    }
}

namespace {

void AppendToVector(png_structp Png, png_bytep Data, png_size_t Length)
{
    auto* Out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(Png));
    Out->insert(Out->end(), Data, Data + Length);
}

// One row of the picture, Y counted from the top, as libpng takes it: a
// 24-bit bitmap's own row (blue, green, red), any other converted into
// Buffer. Returns nullptr when the bitmap holds fewer bytes than its shape.
using TPngRowSource = png_bytep (*)(const TBitmapData& Bitmap, int32_t Y, std::vector<uint8_t>& Buffer);

png_bytep DibRow(const TBitmapData& Bitmap, int32_t Y, std::vector<uint8_t>&)
{
    const size_t Stride = platform::DibStride(Bitmap.Width, Bitmap.BitCount);
    return const_cast<png_bytep>(Bitmap.Pixels() + static_cast<size_t>(Bitmap.Height - 1 - Y) * Stride);
}

png_bytep ConvertedRow(const TBitmapData& Bitmap, int32_t Y, std::vector<uint8_t>& Buffer)
{
    for (int32_t X = 0; X < Bitmap.Width; ++X) {
        const uint32_t RGB = PixelRGB(Bitmap, X, Y);
        uint8_t* P = Buffer.data() + static_cast<size_t>(X) * 3;
        P[0] = static_cast<uint8_t>(RGB >> 16), P[1] = static_cast<uint8_t>(RGB >> 8), P[2] = static_cast<uint8_t>(RGB);
    }
    return Buffer.data();
}

// libpng reports errors by longjmp: nothing with a destructor lives between
// setjmp and the library calls here.
bool WritePngRows(std::vector<uint8_t>* Out, const TBitmapData& Bitmap, TPngRowSource Source, bool Bgr,
                  std::vector<uint8_t>* Buffer)
{
    png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!Png)
        return false;
    png_infop Info = png_create_info_struct(Png);
    if (!Info || setjmp(png_jmpbuf(Png))) {
        png_destroy_write_struct(&Png, &Info);
        return false;
    }
    png_set_write_fn(Png, Out, AppendToVector, nullptr);
    png_set_IHDR(Png, Info, static_cast<uint32_t>(Bitmap.Width), static_cast<uint32_t>(Bitmap.Height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A thumbnail is written once and read a few times: the fastest zlib
    // level, and runs of equal differences from the left neighbour, make a
    // file as small as the defaults' (which try every filter on every row)
    // in a sixth of their time. Huffman coding alone is 7% cheaper on the
    // noisy gradients of the benchmark covers, for a file 3% smaller, but on
    // a cover of flat colours and lettering it takes twice the work of runs
    // for a file 2.4 times as large; storing without compression would save
    // nine tenths of the work for files three times as large.
    png_set_compression_level(Png, 1);
    png_set_compression_strategy(Png, Z_RLE);
    png_set_filter(Png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(Png, Info);
    if (Bgr)
        png_set_bgr(Png);
    for (int32_t Y = 0; Y < Bitmap.Height; ++Y)
        png_write_row(Png, Source(Bitmap, Y, *Buffer));
    png_write_end(Png, Info);
    png_destroy_write_struct(&Png, &Info);
    return true;
}

void PutLE(std::vector<uint8_t>& Out, uint32_t Value, int Bytes)
{
    for (int I = 0; I < Bytes; ++I)
        Out.push_back(static_cast<uint8_t>(Value >> (8 * I)));
}

}

std::vector<uint8_t> EncodePng(const TBitmapData& Bitmap)
{
    const size_t Stride = platform::DibStride(Bitmap.Width, Bitmap.BitCount);
    if (Bitmap.Width <= 0 || Bitmap.Height <= 0 || Bitmap.PixelBytes() / static_cast<size_t>(Bitmap.Height) < Stride)
        return {};
    // A 24-bit bitmap's rows are written as they lie, blue first.
    const bool Direct = Bitmap.BitCount == 24;
    std::vector<uint8_t> Buffer(Direct ? 0 : static_cast<size_t>(Bitmap.Width) * 3);
    // Room for the rows as they are, and a little more for incompressible
    // ones: the file is written once into memory that was never touched,
    // rather than copied up through every doubling.
    const size_t RawBytes = static_cast<size_t>(Bitmap.Height) * (static_cast<size_t>(Bitmap.Width) * 3 + 1);
    std::vector<uint8_t> Out;
    Out.reserve(RawBytes + RawBytes / 64 + 1024);
    if (!WritePngRows(&Out, Bitmap, Direct ? DibRow : ConvertedRow, Direct, &Buffer))
        Out.clear();
    return Out;
}

std::vector<uint8_t> EncodeBmp(const TBitmapData& Bitmap)
{
    constexpr uint32_t FileHeaderSize = 14, InfoHeaderSize = 40;
    const uint32_t TableSize = static_cast<uint32_t>(Bitmap.ColorTable.size()) * 4;
    const uint32_t DataOffset = FileHeaderSize + InfoHeaderSize + TableSize;
    std::vector<uint8_t> Out;
    Out.push_back('B');
    Out.push_back('M');
    PutLE(Out, DataOffset + static_cast<uint32_t>(Bitmap.PixelBytes()), 4); // file size
    PutLE(Out, 0, 4);                                                      // reserved
    PutLE(Out, DataOffset, 4);                                             // offset of the pixels
    PutLE(Out, InfoHeaderSize, 4);
    PutLE(Out, static_cast<uint32_t>(Bitmap.Width), 4);
    PutLE(Out, static_cast<uint32_t>(Bitmap.Height), 4);                   // positive: bottom-up
    PutLE(Out, 1, 2);                                                      // planes
    PutLE(Out, static_cast<uint32_t>(Bitmap.BitCount), 2);
    PutLE(Out, 0, 4);                                                      // BI_RGB
    PutLE(Out, static_cast<uint32_t>(Bitmap.PixelBytes()), 4);
    PutLE(Out, 2835, 4);                                                   // 72 dpi
    PutLE(Out, 2835, 4);
    PutLE(Out, static_cast<uint32_t>(Bitmap.ColorTable.size()), 4);       // colours used
    PutLE(Out, 0, 4);                                                      // important colours
    for (uint32_t Color : Bitmap.ColorTable)
        PutLE(Out, Color & 0xFFFFFF, 4);
    Out.insert(Out.end(), Bitmap.Pixels(), Bitmap.Pixels() + Bitmap.PixelBytes());
    return Out;
}
