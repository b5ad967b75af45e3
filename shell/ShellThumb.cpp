// brisleaf-shellthumb [-s N] BOOK [OUT.png|OUT.bmp]: asks the thumbnail
// handler registered for the book's extension for its thumbnail, the way
// Explorer does, and writes it. Exit 0: a bitmap; 1: none; 2: usage, set-up
// or I/O error.
#include <windows.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "host/Thumbnailer.h"

namespace {

constexpr int ExitBitmap = 0, ExitNoBitmap = 1, ExitError = 2;
const wchar_t Usage[] = L"usage: brisleaf-shellthumb [-s N] BOOK [OUT.png|OUT.bmp]\n";
const wchar_t ThumbnailHandler[] = L"\\ShellEx\\{e357fccd-a995-4576-b01f-234630154e96}";

int Fail(const std::wstring& Message)
{
    std::fwprintf(stderr, L"brisleaf-shellthumb: %ls\n", Message.c_str());
    return ExitError;
}

// The class registered as the thumbnail handler of Book's extension.
bool FindHandler(const std::wstring& Book, CLSID& ClassId)
{
    const size_t Dot = Book.find_last_of(L".\\/:");
    if (Dot == std::wstring::npos || Book[Dot] != L'.')
        return false;
    const std::wstring Key = Book.substr(Dot) + ThumbnailHandler;
    wchar_t Text[64] = {};
    DWORD Bytes = sizeof Text - sizeof(wchar_t);
    return RegGetValueW(HKEY_CLASSES_ROOT, Key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, Text, &Bytes) == ERROR_SUCCESS &&
           SUCCEEDED(CLSIDFromString(Text, &ClassId));
}

// The pixels of the handler's bitmap as 32-bit bottom-up rows. Through
// GetDIBits, since the height GetObject reports does not tell a top-down
// section from a bottom-up one everywhere.
bool ReadShellBitmap(HBITMAP Bitmap, TBitmapData& Data)
{
    BITMAP Shape{};
    if (!GetObjectW(Bitmap, sizeof Shape, &Shape) || Shape.bmWidth <= 0 || Shape.bmHeight <= 0)
        return false;
    Data.Width = Shape.bmWidth;
    Data.Height = Shape.bmHeight;
    Data.BitCount = 32;
    Data.ColorTable.clear();
    Data.Bits.resize(static_cast<size_t>(Data.Width) * 4 * static_cast<size_t>(Data.Height));
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = Data.Width;
    Info.bmiHeader.biHeight = Data.Height;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    HDC Memory = CreateCompatibleDC(nullptr);
    const int Rows = GetDIBits(Memory, Bitmap, 0, static_cast<UINT>(Data.Height), Data.Bits.data(), &Info, DIB_RGB_COLORS);
    DeleteDC(Memory);
    return Rows == Data.Height;
}

// What the handler gives for Book in a Size x Size box, as Explorer asks.
int AskHandler(const std::wstring& Book, UINT Size, const std::wstring& Output)
{
    CLSID ClassId;
    if (!FindHandler(Book, ClassId))
        return Fail(L"no thumbnail handler registered for " + Book);
    IStream* Stream = nullptr;
    if (FAILED(SHCreateStreamOnFileEx(Book.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                      nullptr, &Stream)))
        return Fail(L"cannot open " + Book);
    IThumbnailProvider* Provider = nullptr;
    HRESULT Result = CoCreateInstance(ClassId, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IThumbnailProvider),
                                      reinterpret_cast<void**>(&Provider));
    if (FAILED(Result)) {
        Stream->Release();
        return Fail(L"cannot create the handler");
    }
    IInitializeWithStream* Init = nullptr;
    Result = Provider->QueryInterface(__uuidof(IInitializeWithStream), reinterpret_cast<void**>(&Init));
    if (SUCCEEDED(Result)) {
        Result = Init->Initialize(Stream, STGM_READ);
        Init->Release();
    }
    Stream->Release();
    HBITMAP Bitmap = nullptr;
    WTS_ALPHATYPE Alpha = WTSAT_UNKNOWN;
    if (SUCCEEDED(Result))
        Result = Provider->GetThumbnail(Size, &Bitmap, &Alpha);
    Provider->Release();
    if (FAILED(Result) || !Bitmap) {
        std::wprintf(L"no thumbnail (0x%08lx)\n", static_cast<unsigned long>(Result));
        return ExitNoBitmap;
    }
    TBitmapData Data;
    const bool Read = ReadShellBitmap(Bitmap, Data);
    DeleteObject(Bitmap);
    if (!Read)
        return Fail(L"the handler's bitmap cannot be read");
    std::wprintf(L"%ldx%ld %d-bit %ls\n", static_cast<long>(Data.Width), static_cast<long>(Data.Height), Data.BitCount,
                 Alpha == WTSAT_RGB ? L"RGB" : Alpha == WTSAT_ARGB ? L"ARGB" : L"unknown");
    std::string Error;
    if (!Output.empty() && !WriteBitmapFile(reinterpret_cast<const char16_t*>(Output.c_str()), Data, Error))
        return Fail(std::wstring(Error.begin(), Error.end()));
    return ExitBitmap;
}

}

int wmain(int argc, wchar_t** argv)
{
    UINT Size = 256;
    int At = 1;
    if (At + 1 < argc && std::wcscmp(argv[At], L"-s") == 0) {
        wchar_t* End = nullptr;
        const unsigned long Value = std::wcstoul(argv[At + 1], &End, 10);
        if (*End || Value == 0 || Value > 4096) {
            std::fputws(Usage, stderr);
            return ExitError;
        }
        Size = static_cast<UINT>(Value);
        At += 2;
    }
    if (argc - At < 1 || argc - At > 2) {
        std::fputws(Usage, stderr);
        return ExitError;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return Fail(L"cannot initialise COM");
    const int Exit = AskHandler(argv[At], Size, argc - At == 2 ? argv[At + 1] : L"");
    CoUninitialize();
    return Exit;
}
