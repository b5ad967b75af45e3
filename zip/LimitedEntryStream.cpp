#include "zip/LimitedEntryStream.h"

#include <algorithm>
#include <limits>

#include "zip/ZipErrors.h"

namespace {

constexpr int64_t ChunkSize = 65536;

}

TLimitedEntryStream::TLimitedEntryStream(TStream& Entry, uint64_t Limit, TReadBudget& Budget)
    : FEntry(Entry), FBudget(Budget),
      FLimit(static_cast<int64_t>(std::min<uint64_t>(Budget.Within(Limit), std::numeric_limits<int64_t>::max() - 1)))
{
}

int64_t TLimitedEntryStream::Read(void* Buffer, int64_t Count)
{
    // One byte past the limit is enough to know the entry is too large.
    const int64_t Got = FEntry.Read(Buffer, std::min(Count, FLimit + 1 - FDone));
    if (Got > 0) {
        FDone += Got;
        FBudget.Charge(static_cast<uint64_t>(Got));
    }
    if (FDone > FLimit)
        throw EZipException(SZipReadError);
    return Got;
}

int64_t TLimitedEntryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    if (Offset == 0 && Origin == soCurrent)
        return FDone;
    throw EZipException(SZipReadError);
}

TBytes TLimitedEntryStream::ReadAtMost(uint64_t Count)
{
    TBytes Bytes;
    for (;;) {
        const int64_t Room = static_cast<int64_t>(std::min<uint64_t>(ChunkSize, Count - Bytes.size()));
        if (Room == 0)
            return Bytes;
        const size_t Before = Bytes.size();
        Bytes.resize(Before + static_cast<size_t>(Room));
        const int64_t Got = ReadUpTo(*this, Bytes.data() + Before, Room);
        Bytes.resize(Before + static_cast<size_t>(Got));
        if (Got < Room)
            return Bytes;
    }
}
