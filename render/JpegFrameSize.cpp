#include "render/JpegFrameSize.h"

#include <climits>
#include <initializer_list>

#include "render/JpegLibrary.h"
#include "render/PictureBytes.h"

namespace {

// Holds no object with a destructor: the library leaves it by longjmp.
bool ReadHeader(const uint8_t* Data, size_t Size, TJpegFrameSize& Frame)
{
    jpeg_decompress_struct Info;
    TJpegErrorManager Errors;
    UseErrorManager(Info, Errors);
    if (setjmp(Errors.Jump)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Data, static_cast<unsigned long>(Size));
    jpeg_read_header(&Info, TRUE);
    Frame.Width = static_cast<int32_t>(Info.image_width);
    Frame.Height = static_cast<int32_t>(Info.image_height);
    jpeg_destroy_decompress(&Info);
    return true;
}

}

TJpegFrameSize ReadJpegFrameSize(const uint8_t* Data, size_t Size)
{
    TJpegFrameSize Frame;
    if (Size == 0 || Size > ULONG_MAX)
        return Frame;
    Frame.Found = ReadHeader(Data, Size, Frame);
    return Frame;
}

TJpegFrameSize ReadJpegFrameSize(TStream& Stream)
{
    try {
        const TPictureBytes Bytes(Stream);
        return ReadJpegFrameSize(Bytes.Data(), Bytes.Size());
    } catch (...) {
        return {};
    }
}

int JpegScaleFor(const TJpegFrameSize& Frame, int32_t Width, int32_t Height)
{
    if (!Frame.Found || Width <= 0 || Height <= 0)
        return 1;
    for (int Denominator : {8, 4, 2, 1})
        if (Frame.Width / Denominator >= Width && Frame.Height / Denominator >= Height)
            return Denominator;
    return 1;
}

int ChooseJpegScale(TStream& Stream, int32_t Width, int32_t Height)
{
    Stream.SetPosition(0);
    return JpegScaleFor(ReadJpegFrameSize(Stream), Width, Height);
}
