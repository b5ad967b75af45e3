#include "platform/ModuleInfo.h"

#include <vector>
#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

std::u16string ModuleFileName()
{
    HMODULE Module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ModuleFileName), &Module))
        return std::u16string();
    std::vector<wchar_t> Buffer(MAX_PATH);
    for (;;) {
        const DWORD Length = GetModuleFileNameW(Module, Buffer.data(), static_cast<DWORD>(Buffer.size()));
        if (Length == 0)
            return std::u16string();
        if (Length < Buffer.size())
            return FromWide(Buffer.data(), Length);
        Buffer.resize(Buffer.size() * 2);
    }
}

// Asked on first use rather than while the module loads: GDI calls under the
// loader lock can deadlock a host.
int DisplayBitsPerPixel()
{
    static const int Bits = [] {
        HDC Screen = GetDC(nullptr);
        if (!Screen)
            return 32;
        const int Value = GetDeviceCaps(Screen, BITSPIXEL) * GetDeviceCaps(Screen, PLANES);
        ReleaseDC(nullptr, Screen);
        return Value > 0 ? Value : 32;
    }();
    return Bits;
}

}
