#include "platform/ProcessCounters.h"

#include <cstdint>
#include <windows.h>

namespace platform {

namespace {

// Wine answers GetProcessHandleCount and GetGuiResources with 0. There the
// handles are counted by asking after each possible value instead. Kernel
// handles are multiples of 4 and Wine hands out the lowest free one, so the
// table is dense: a long run of unused values means the end.
size_t ProbedHandleCount()
{
    constexpr uintptr_t MaxUnusedRun = 4096;
    size_t Count = 0;
    uintptr_t Unused = 0;
    for (uintptr_t Value = 4; Unused < MaxUnusedRun; Value += 4) {
        DWORD Flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(Value), &Flags)) {
            ++Count;
            Unused = 0;
        } else {
            ++Unused;
        }
    }
    return Count;
}

// Wine's GDI handles are an index into a table of 65536 entries in the low 16
// bits, and it takes a value whose high bits are 0 for whichever object is at
// that index. Windows never does: there GetGuiResources counts.
size_t ProbedGdiObjectCount()
{
    size_t Count = 0;
    for (uintptr_t Index = 1; Index <= 0xFFFF; ++Index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(Index)) != 0)
            ++Count;
    return Count;
}

}

size_t OpenHandleCount()
{
    DWORD Count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &Count) && Count > 0)
        return Count;
    return ProbedHandleCount();
}

size_t LiveBitmapCount()
{
    if (const DWORD Count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return Count;
    return ProbedGdiObjectCount();
}

}
