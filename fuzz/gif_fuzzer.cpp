// GIF decoding (giflib, first frame, screen composition) over arbitrary
// bytes, and the reduction of what it decodes.
#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "fuzz/FitDecoded.h"
#include "render/GifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    FitDecoded(Stream, [](TStream& S, TPictureSink& Sink) { return DecodeGifCover(S, Sink); });
    return 0;
}
