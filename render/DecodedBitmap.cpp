#include "render/DecodedBitmap.h"

#include <utility>

#include "platform/ModuleInfo.h"

bool PictureSizeAllowed(int64_t Width, int64_t Height, int BitCount)
{
    if (Width <= 0 || Height <= 0 || Width > INT32_MAX || Height > INT32_MAX)
        return false;
    const uint64_t Pixels = static_cast<uint64_t>(Width) * static_cast<uint64_t>(Height);
    if (Pixels > Limits::PicturePixels)
        return false;
    const uint64_t Stride = platform::DibStride(static_cast<int32_t>(Width), BitCount);
    return Stride <= UINT32_MAX / static_cast<uint64_t>(Height);
}

int DisplayFormatBitCount()
{
    static const int BitCount = platform::DisplayBitsPerPixel() == 24 ? 24 : 32;
    return BitCount;
}

TDecodedBitmap::TDecodedBitmap(TDecodedBitmap&& Other) noexcept { *this = std::move(Other); }

TDecodedBitmap& TDecodedBitmap::operator=(TDecodedBitmap&& Other) noexcept
{
    if (this != &Other) {
        Release();
        FHandle = std::exchange(Other.FHandle, nullptr);
        FBits = std::exchange(Other.FBits, nullptr);
        FWidth = std::exchange(Other.FWidth, 0);
        FHeight = std::exchange(Other.FHeight, 0);
        FBitCount = std::exchange(Other.FBitCount, 0);
        FStride = std::exchange(Other.FStride, 0);
        FColorCount = std::exchange(Other.FColorCount, 0);
        FColors = Other.FColors;
    }
    return *this;
}

TDecodedBitmap::~TDecodedBitmap() { Release(); }

bool TDecodedBitmap::Allocate(int32_t Width, int32_t Height, int BitCount, const uint32_t* Colors,
                              int ColorCount) noexcept
{
    Release();
    if (!PictureSizeAllowed(Width, Height, BitCount))
        return false;
    const int MaxColors = BitCount <= 8 ? 1 << BitCount : 0;
    if (ColorCount < 0 || ColorCount > MaxColors)
        return false;
    uint8_t* Bits = nullptr;
    FHandle = platform::CreateDib(Width, Height, BitCount, Colors, ColorCount, &Bits);
    if (!FHandle)
        return false;
    FBits = Bits;
    FWidth = Width;
    FHeight = Height;
    FBitCount = BitCount;
    FStride = platform::DibStride(Width, BitCount);
    FColorCount = ColorCount;
    FColors.fill(0);
    for (int I = 0; I < ColorCount; ++I)
        FColors[static_cast<size_t>(I)] = Colors[I] & 0x00FFFFFF;
    return true;
}

platform::TBitmapHandle TDecodedBitmap::Detach() noexcept
{
    platform::TBitmapHandle Handle = std::exchange(FHandle, nullptr);
    FBits = nullptr;
    FWidth = FHeight = 0;
    return Handle;
}

void TDecodedBitmap::Release() noexcept
{
    if (FHandle)
        platform::DeleteDib(FHandle);
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = 0;
}
