#include "bench/BareDecode.h"

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

void BareJpegDecode(const TBytes& Jpeg, int ScaleDenominator, std::vector<uint8_t>& Row)
{
    jpeg_decompress_struct Info;
    jpeg_error_mgr Errors;
    Info.err = jpeg_std_error(&Errors);
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Jpeg.data(), static_cast<unsigned long>(Jpeg.size()));
    jpeg_read_header(&Info, TRUE);
    Info.scale_num = 1;
    Info.scale_denom = static_cast<unsigned>(ScaleDenominator);
    Info.do_block_smoothing = TRUE;
    Info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&Info);
    Row.resize(static_cast<size_t>(Info.output_width) * 3);
    JSAMPROW Pointer = Row.data();
    while (Info.output_scanline < Info.output_height)
        jpeg_read_scanlines(&Info, &Pointer, 1);
    jpeg_destroy_decompress(&Info);
}

void BarePngDecode(const TBytes& Png, std::vector<uint8_t>& Row)
{
    png_image Image{};
    Image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&Image, Png.data(), Png.size()))
        return;
    Image.format = PNG_FORMAT_BGR;
    Row.resize(PNG_IMAGE_SIZE(Image));
    png_image_finish_read(&Image, nullptr, Row.data(), 0, nullptr);
}
