// PNG decoding (libpng with our transforms) over arbitrary bytes, and the
// reduction of what it decodes.
#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "fuzz/FitDecoded.h"
#include "render/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    FitDecoded(Stream, [](TStream& S, TPictureSink& Sink) { return DecodePngCover(S, Sink); });
    return 0;
}
