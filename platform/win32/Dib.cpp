#include "platform/Dib.h"

#include <cstring>
#include <windows.h>

namespace platform {

TBitmapHandle CreateDib(int32_t Width, int32_t Height, int BitCount, const uint32_t* ColorTable,
                        int ColorCount, uint8_t** Bits)
{
    if (!IsDibShape(Width, Height, BitCount, ColorCount))
        return nullptr;

    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    } Info;
    std::memset(&Info, 0, sizeof Info);
    Info.Header.biSize = sizeof(BITMAPINFOHEADER);
    Info.Header.biWidth = Width;
    Info.Header.biHeight = Height;
    Info.Header.biPlanes = 1;
    Info.Header.biBitCount = static_cast<WORD>(BitCount);
    Info.Header.biCompression = BI_RGB;
    Info.Header.biClrUsed = static_cast<DWORD>(ColorCount);
    if (ColorCount > 0)
        std::memcpy(Info.Colors, ColorTable, static_cast<size_t>(ColorCount) * sizeof(uint32_t));

    void* Pixels = nullptr;
    HBITMAP Bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&Info), DIB_RGB_COLORS, &Pixels, nullptr, 0);
    if (!Bitmap || !Pixels) {
        if (Bitmap)
            DeleteObject(Bitmap);
        return nullptr;
    }
    if (Bits)
        *Bits = static_cast<uint8_t*>(Pixels);
    return Bitmap;
}

void DeleteDib(TBitmapHandle Bitmap)
{
    if (Bitmap)
        DeleteObject(static_cast<HBITMAP>(Bitmap));
}

}
