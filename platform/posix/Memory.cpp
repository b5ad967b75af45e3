#include "platform/Memory.h"

#include <cstdint>
#include <sys/mman.h>

namespace platform {

void AdviseLargeBlock(void* Data, size_t Size)
{
#ifdef MADV_HUGEPAGE
    // Only whole huge pages inside the block: the advice covers pages, and
    // the pages at its edges may hold other allocations.
    constexpr uintptr_t HugePage = uintptr_t{2} << 20;
    const auto Start = reinterpret_cast<uintptr_t>(Data);
    if (Size < 2 * HugePage || Start > UINTPTR_MAX - Size)
        return;
    const uintptr_t From = (Start + HugePage - 1) & ~(HugePage - 1), To = (Start + Size) & ~(HugePage - 1);
    if (To > From)
        madvise(reinterpret_cast<void*>(From), To - From, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Size;
#endif
}

}
