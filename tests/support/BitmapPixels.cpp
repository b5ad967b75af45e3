#include "tests/support/BitmapPixels.h"

#include "core/MemoryStream.h"
#include "render/CoverImage.h"

uint32_t PixelAt(const TDecodedBitmap& Bitmap, int32_t X, int32_t Y)
{
    const uint8_t* Row = Bitmap.Row(Y);
    const size_t Column = static_cast<size_t>(X);
    switch (Bitmap.BitCount()) {
    case 1: return Bitmap.Colors()[(Row[Column / 8] >> (7 - Column % 8)) & 1];
    case 4: return Bitmap.Colors()[(Row[Column / 2] >> (Column % 2 ? 0 : 4)) & 15];
    case 8: return Bitmap.Colors()[Row[Column]];
    default: {
        const uint8_t* P = Row + Column * static_cast<size_t>(Bitmap.BitCount() / 8);
        return static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[1]) << 8 | P[0];
    }
    }
}

std::optional<TDecodedBitmap> DecodeBytes(const TBytes& Bytes, int32_t Width, int32_t Height)
{
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    return DecodeCoverImage(Stream, Width, Height);
}
