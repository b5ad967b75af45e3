#include "platform/Dib.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "platform/posix/PosixDib.h"

namespace {

struct TPosixDib {
    BrisleafDibSection Section;
    uint32_t Colors[256];
};

// Live handles, so that an unknown or already freed handle is refused the way
// GDI refuses it, instead of being dereferenced.
class THandleTable {
public:
    void Add(void* Handle)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FHandles.insert(Handle);
    }
    bool Remove(void* Handle)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return FHandles.erase(Handle) == 1;
    }
    // Copies the description under the lock, so that a concurrent Remove
    // and free cannot come between the check and the read.
    bool Describe(void* Handle, BrisleafDibSection& Section)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        if (FHandles.count(Handle) == 0)
            return false;
        Section = static_cast<const TPosixDib*>(Handle)->Section;
        return true;
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return FHandles.size();
    }

private:
    std::mutex FMutex;
    std::unordered_set<void*> FHandles;
};

THandleTable& Handles()
{
    static THandleTable Table;
    return Table;
}

}

namespace platform {

TBitmapHandle CreateDib(int32_t Width, int32_t Height, int BitCount, const uint32_t* ColorTable,
                        int ColorCount, uint8_t** Bits)
{
    if (!IsDibShape(Width, Height, BitCount, ColorCount))
        return nullptr;
    const uint64_t Stride = DibStride(Width, BitCount);
    const size_t ImageSize = static_cast<size_t>(Stride * static_cast<uint64_t>(Height));

    auto* Dib = static_cast<TPosixDib*>(std::calloc(1, sizeof(TPosixDib)));
    if (!Dib)
        return nullptr;
    auto* Pixels = static_cast<uint8_t*>(std::calloc(ImageSize, 1));
    if (!Pixels) {
        std::free(Dib);
        return nullptr;
    }
    if (ColorCount > 0)
        std::memcpy(Dib->Colors, ColorTable, static_cast<size_t>(ColorCount) * sizeof(uint32_t));
    Dib->Section = {Width, Height, static_cast<uint16_t>(BitCount), static_cast<uint32_t>(Stride),
                    static_cast<uint32_t>(ColorCount), Dib->Colors, Pixels};
    // The table's insert may fail for want of memory, like the allocations
    // above: then nothing is made, and nothing is thrown at callers that
    // cannot take an exception.
    try {
        Handles().Add(Dib);
    } catch (const std::bad_alloc&) {
        std::free(Pixels);
        std::free(Dib);
        return nullptr;
    }
    if (Bits)
        *Bits = Pixels;
    return Dib;
}

bool DescribeDib(TBitmapHandle Bitmap, BrisleafDibSection& Section)
{
    return Handles().Describe(Bitmap, Section);
}

bool FreeDib(TBitmapHandle Bitmap)
{
    if (!Bitmap || !Handles().Remove(Bitmap))
        return false;
    auto* Dib = static_cast<TPosixDib*>(Bitmap);
    std::free(Dib->Section.Bits);
    std::free(Dib);
    return true;
}

void DeleteDib(TBitmapHandle Bitmap) { FreeDib(Bitmap); }

size_t LiveDibCount() { return Handles().Count(); }

}
