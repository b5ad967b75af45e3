#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include <jpeglib.h>

#include "tests/support/PictureBuilders.h"

TBytes EncodeJpeg(const TJpegSpec& Spec)
{
    jpeg_compress_struct Info;
    jpeg_error_mgr Errors;
    Info.err = jpeg_std_error(&Errors);
    jpeg_create_compress(&Info);
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
    jpeg_mem_dest(&Info, &Buffer, &Size);
    Info.image_width = static_cast<JDIMENSION>(Spec.Width);
    Info.image_height = static_cast<JDIMENSION>(Spec.Height);
    Info.input_components = Spec.Components;
    Info.in_color_space = Spec.Components == 1 ? JCS_GRAYSCALE : Spec.Components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&Info);
    jpeg_set_quality(&Info, Spec.Quality, TRUE);
    if (Spec.Progressive)
        jpeg_simple_progression(&Info);
    Info.arith_code = Spec.Arithmetic;
    jpeg_start_compress(&Info, TRUE);
    std::vector<uint8_t> Row(static_cast<size_t>(Spec.Width) * static_cast<size_t>(Spec.Components));
    while (Info.next_scanline < Info.image_height) {
        const int32_t Y = static_cast<int32_t>(Info.next_scanline);
        for (int32_t X = 0; X < Spec.Width; ++X)
            Spec.Sample(X, Y, Row.data() + static_cast<size_t>(X) * Spec.Components);
        JSAMPROW Pointer = Row.data();
        jpeg_write_scanlines(&Info, &Pointer, 1);
    }
    jpeg_finish_compress(&Info);
    jpeg_destroy_compress(&Info);
    TBytes Result(Buffer, Buffer + Size);
    std::free(Buffer);
    return Result;
}

TBytes JpegOf(int32_t Width, int32_t Height, TSampleFunction Rgb, int Quality)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Sample = std::move(Rgb);
    Spec.Quality = Quality;
    return EncodeJpeg(Spec);
}

TBytes JpegWithScans(const TBytes& Jpeg, size_t Scans)
{
    size_t LastScan = 0, Count = 0;
    for (size_t At = 0; At + 1 < Jpeg.size(); ++At)
        if (Jpeg[At] == 0xFF && Jpeg[At + 1] == 0xDA) {
            LastScan = At;
            ++Count;
        }
    // The last scan runs to the end-of-image marker.
    const auto Scan = Jpeg.begin() + static_cast<ptrdiff_t>(LastScan), End = Jpeg.end() - 2;
    TBytes Out(Jpeg.begin(), End);
    for (; Count < Scans; ++Count)
        Out.insert(Out.end(), Scan, End);
    Out.insert(Out.end(), End, Jpeg.end());
    return Out;
}
