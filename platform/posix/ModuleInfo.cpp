#include "platform/ModuleInfo.h"

#include <cstring>
#include <dlfcn.h>

#include "platform/CodePages.h"

namespace platform {

std::u16string ModuleFileName()
{
    Dl_info Info;
    if (::dladdr(reinterpret_cast<void*>(&ModuleFileName), &Info) == 0 || !Info.dli_fname)
        return std::u16string();
    return MultiByteToWide(cpUtf8, Info.dli_fname, std::strlen(Info.dli_fname));
}

int DisplayBitsPerPixel() { return 32; }

}
