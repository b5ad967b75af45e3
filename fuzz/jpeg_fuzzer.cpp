// JPEG decoding over arbitrary bytes: the frame-size scan, the decoder at
// the scale a small and a large box choose, and the reduction of what it
// decodes.
#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "render/JpegDecoder.h"
#include "render/JpegFrameSize.h"
#include "render/Thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    ReadJpegFrameSize(Stream);
    for (int32_t Box : {48, 4096}) {
        TPictureSink Whole;
        Stream.SetPosition(0);
        DecodeJpegCover(Stream, Box, Box, Whole);
    }
    Stream.SetPosition(0);
    MakeThumbnailBitmap(Stream, 40, 30);
    return 0;
}
