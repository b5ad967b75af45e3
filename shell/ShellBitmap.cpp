#include "shell/ShellBitmap.h"

HBITMAP MakeShellBitmap(HBITMAP Bitmap)
{
    BITMAP Shape{};
    if (!GetObjectW(Bitmap, sizeof Shape, &Shape) || Shape.bmWidth <= 0 || Shape.bmHeight <= 0)
        return nullptr;
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = Shape.bmWidth;
    Info.bmiHeader.biHeight = -Shape.bmHeight;  // top-down
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Pixels = nullptr;
    HBITMAP Result = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Pixels, nullptr, 0);
    if (!Result)
        return nullptr;
    // GetDIBits converts every depth and colour table the engine makes into
    // the 32-bit rows without changing a colour.
    HDC Memory = CreateCompatibleDC(nullptr);
    const int Rows = Memory ? GetDIBits(Memory, Bitmap, 0, static_cast<UINT>(Shape.bmHeight), Pixels, &Info, DIB_RGB_COLORS) : 0;
    if (Memory)
        DeleteDC(Memory);
    if (Rows != Shape.bmHeight) {
        DeleteObject(Result);
        return nullptr;
    }
    return Result;
}
