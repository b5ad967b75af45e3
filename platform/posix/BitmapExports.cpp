// The module's stand-ins for GDI's GetObject and DeleteObject.
#include <cstring>

#include "platform/posix/PosixDib.h"

extern "C" {

int BrisleafGetObject(void* Bitmap, int Size, void* Out)
{
    BrisleafDibSection Section;
    if (!Out || Size < static_cast<int>(sizeof Section) || !platform::DescribeDib(Bitmap, Section))
        return 0;
    std::memcpy(Out, &Section, sizeof Section);
    return sizeof Section;
}

int BrisleafDeleteObject(void* Bitmap) { return platform::FreeDib(Bitmap) ? 1 : 0; }

}
