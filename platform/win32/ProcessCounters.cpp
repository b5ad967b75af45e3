#include "platform/ProcessCounters.h"

#include <windows.h>

namespace platform {

size_t OpenHandleCount()
{
    DWORD Count = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &Count))
        return 0;
    return Count;
}

size_t LiveBitmapCount() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

}
