#include "platform/HostModule.h"

#include <windows.h>

#include "platform/win32/ErrorText.h"
#include "platform/win32/Wide.h"

namespace platform {

std::vector<std::u16string> CommandLineArguments(int, char**)
{
    std::vector<std::u16string> Arguments;
    int Count = 0;
    wchar_t** Wide = CommandLineToArgvW(GetCommandLineW(), &Count);
    if (!Wide)
        return Arguments;
    for (int I = 0; I < Count; ++I)
        Arguments.push_back(FromWide(Wide[I], wcslen(Wide[I])));
    LocalFree(Wide);
    return Arguments;
}

std::u16string ProgramDirectory()
{
    wchar_t Buffer[32768];
    const DWORD Length = GetModuleFileNameW(nullptr, Buffer, 32768);
    std::u16string Name = FromWide(Buffer, Length);
    const size_t Slash = Name.find_last_of(u"\\/");
    return Slash == std::u16string::npos ? u".\\" : Name.substr(0, Slash + 1);
}

// A 64-bit process can load only the 64-bit module, which has a name of its own.
std::u16string PluginModuleName() { return sizeof(void*) == 8 ? u"brisleaf64.dll" : u"brisleaf.dll"; }

bool StandardErrorIsTerminal()
{
    DWORD Mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &Mode) != 0;
}

// The Windows heap keeps what it frees without a setting.
void KeepFreedMemory() {}

TLoadedModule::~TLoadedModule()
{
    if (FModule)
        FreeLibrary(static_cast<HMODULE>(FModule));
}

bool TLoadedModule::Load(const std::u16string& FileName, std::string& ErrorText)
{
    FModule = LoadLibraryW(AsWide(FileName));
    if (!FModule) {
        ErrorText = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

void* TLoadedModule::Proc(const char* Name) const
{
    return FModule ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(FModule), Name)) : nullptr;
}

bool TLoadedModule::ReadBitmap(TBitmapHandle Bitmap, TBitmapData& Data) const
{
    DIBSECTION Section;
    if (GetObjectW(static_cast<HBITMAP>(Bitmap), sizeof Section, &Section) != sizeof Section || !Section.dsBm.bmBits)
        return false;
    const BITMAPINFOHEADER& Header = Section.dsBmih;
    Data.Width = Header.biWidth;
    Data.Height = Header.biHeight < 0 ? -Header.biHeight : Header.biHeight;
    Data.BitCount = Header.biBitCount;
    Data.ColorTable.clear();
    if (Data.BitCount <= 8) {
        RGBQUAD Colors[256];
        HDC Memory = CreateCompatibleDC(nullptr);
        HGDIOBJ Old = SelectObject(Memory, Bitmap);
        const UINT Count = GetDIBColorTable(Memory, 0, 256, Colors);
        SelectObject(Memory, Old);
        DeleteDC(Memory);
        for (UINT I = 0; I < Count; ++I)
            Data.ColorTable.push_back(static_cast<uint32_t>(Colors[I].rgbRed) << 16 |
                                      static_cast<uint32_t>(Colors[I].rgbGreen) << 8 | Colors[I].rgbBlue);
    }
    const size_t Stride = DibStride(Data.Width, Data.BitCount);
    const auto* Bits = static_cast<const uint8_t*>(Section.dsBm.bmBits);
    Data.Rows = nullptr;
    Data.Bits.clear();
    if (Header.biHeight > 0) {
        Data.Rows = Bits;
    } else {
        Data.Bits.resize(Stride * static_cast<size_t>(Data.Height));
        for (int32_t Row = 0; Row < Data.Height; ++Row)
            std::copy(Bits + Row * Stride, Bits + (Row + 1) * Stride, Data.Bits.begin() + (Data.Height - 1 - Row) * Stride);
    }
    return true;
}

bool TLoadedModule::DeleteBitmap(TBitmapHandle Bitmap) const { return DeleteObject(static_cast<HBITMAP>(Bitmap)) != 0; }

}
