#include "render/CoverImage.h"

#include "render/BmpDecoder.h"
#include "render/GifDecoder.h"
#include "render/JpegDecoder.h"
#include "render/PngDecoder.h"

namespace {

enum class TPictureFormat { None, Jpeg, Png, Gif, Bmp };

// Bytes that were not read count as zero.
TPictureFormat SniffFormat(const uint8_t (&B)[4])
{
    if (B[0] == 0xFF && B[1] == 0xD8)
        return TPictureFormat::Jpeg;
    if (B[0] == 0x89 && B[1] == 'P' && B[2] == 'N' && B[3] == 'G')
        return TPictureFormat::Png;
    if (B[0] == 'G' && B[1] == 'I' && B[2] == 'F')
        return TPictureFormat::Gif;
    if (B[0] == 'B' && B[1] == 'M')
        return TPictureFormat::Bmp;
    return TPictureFormat::None;
}

}

std::optional<TDecodedBitmap> DecodeCoverImage(TStream& Stream, int32_t Width, int32_t Height)
{
    TPictureSink Whole;
    return DecodeCoverImage(Stream, Width, Height, Whole);
}

std::optional<TDecodedBitmap> DecodeCoverImage(TStream& Stream, int32_t Width, int32_t Height, TPictureSink& Sink,
                                               TCutShort CutShort)
{
    try {
        uint8_t Signature[4] = {0, 0, 0, 0};
        if (Stream.Read(Signature, 4) < 2)
            return std::nullopt;
        const TPictureFormat Format = SniffFormat(Signature);
        if (Format == TPictureFormat::None)
            return std::nullopt;
        Stream.SetPosition(0);
        switch (Format) {
        case TPictureFormat::Jpeg: return DecodeJpegCover(Stream, Width, Height, Sink);
        case TPictureFormat::Png: return DecodePngCover(Stream, Sink, CutShort);
        case TPictureFormat::Gif: return DecodeGifCover(Stream, Sink, CutShort);
        case TPictureFormat::Bmp: return DecodeBmpCover(Stream, Sink);
        case TPictureFormat::None: break;
        }
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}
