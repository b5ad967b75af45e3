#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/Limits.h"
#include "platform/Dib.h"

// Whether a Width x Height picture of BitCount bits per pixel may be made:
// both sides above 0, at most Limits::PicturePixels, and its padded rows
// addressable in a 32-bit size.
bool PictureSizeAllowed(int64_t Width, int64_t Height, int BitCount);

// Bits per pixel of the display's pixel format, used where a picture is
// composed rather than copied (GIF frames on a screen, run-length BMPs):
// 24 on a 24-bit display, else 32, which also stands for 15-, 16- and
// 8-bit displays, whose own formats would only lose colour.
int DisplayFormatBitCount();

// A decoded picture held in a platform DIB, so that a picture that needs no
// shrinking is handed to the host as it is. Rows are addressed from the top;
// the DIB stores them bottom-up. A default-made bitmap is empty (0 x 0).
class TDecodedBitmap {
public:
    TDecodedBitmap() = default;
    TDecodedBitmap(TDecodedBitmap&& Other) noexcept;
    TDecodedBitmap& operator=(TDecodedBitmap&& Other) noexcept;
    TDecodedBitmap(const TDecodedBitmap&) = delete;
    TDecodedBitmap& operator=(const TDecodedBitmap&) = delete;
    ~TDecodedBitmap();

    // Makes the zero-filled DIB; ColorCount entries of Colors (0x00RRGGBB)
    // become its colour table, the rest of the table is black. False when the
    // size is not allowed or the system cannot make it. Never raises, so the
    // decoders may call it between setjmp and a C library.
    bool Allocate(int32_t Width, int32_t Height, int BitCount, const uint32_t* Colors, int ColorCount) noexcept;

    bool Empty() const { return FHandle == nullptr; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int BitCount() const { return FBitCount; }
    uint32_t Stride() const { return FStride; }
    int ColorCount() const { return FColorCount; }
    // Always 256 entries, so that any pixel index can be looked up.
    const std::array<uint32_t, 256>& Colors() const { return FColors; }
    uint8_t* Row(int32_t Y) const { return FBits + static_cast<size_t>(FHeight - 1 - Y) * FStride; }

    // Gives up the DIB: the caller owns the handle and the bitmap is empty.
    platform::TBitmapHandle Detach() noexcept;

private:
    void Release() noexcept;

    platform::TBitmapHandle FHandle = nullptr;
    uint8_t* FBits = nullptr;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int FBitCount = 0;
    uint32_t FStride = 0;
    int FColorCount = 0;
    std::array<uint32_t, 256> FColors{};
};
