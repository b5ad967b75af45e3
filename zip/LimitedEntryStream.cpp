#include "zip/LimitedEntryStream.h"

#include <algorithm>
#include <limits>

#include "zip/ZipErrors.h"

namespace {

constexpr uint64_t ChunkSize = 65536;

}

TLimitedEntryStream::TLimitedEntryStream(TStream& Entry, uint64_t Limit, TReadBudget& Budget, uint64_t Expected)
    : FEntry(Entry), FBudget(Budget),
      FLimit(static_cast<int64_t>(std::min<uint64_t>(Budget.Within(Limit), std::numeric_limits<int64_t>::max() - 1))),
      FExpected(static_cast<int64_t>(std::min<uint64_t>(Expected, static_cast<uint64_t>(FLimit))))
{
}

int64_t TLimitedEntryStream::Read(void* Buffer, int64_t Count)
{
    // One byte past the limit is enough to know the entry is too large. And
    // a read asks for at most as much again as has come (64 KiB at first):
    // a reader with room for the stated size, that stops at what it finds
    // early (a NUL ending a text), has inflated at most twice that.
    const int64_t Step = std::max(static_cast<int64_t>(ChunkSize), FDone);
    const int64_t Got = FEntry.Read(Buffer, std::min({Count, Step, FLimit + 1 - FDone}));
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

TBytes TLimitedEntryStream::ReadAtMost(uint64_t Count, uint64_t Reserve)
{
    TBytes Bytes;
    Bytes.reserve(static_cast<size_t>(std::min({Count, Reserve, static_cast<uint64_t>(FLimit) + 1})));
    for (;;) {
        // Each read asks for as much as has come so far: few inflate calls,
        // and never more room touched than twice what came, nor more than
        // one byte past the limit.
        uint64_t Chunk = std::min({std::max<uint64_t>(ChunkSize, Bytes.size()), Count - Bytes.size(),
                                   static_cast<uint64_t>(FLimit + 1 - FDone)});
        // The reserved room is filled before anything grows.
        if (Bytes.capacity() > Bytes.size())
            Chunk = std::min<uint64_t>(Chunk, Bytes.capacity() - Bytes.size());
        const auto Room = static_cast<int64_t>(Chunk);
        if (Room == 0)
            return Bytes;
        const size_t Before = Bytes.size();
        // Exactly: the chunks double by themselves, and the vector's own
        // growth would overshoot the limit.
        Bytes.reserve(Before + static_cast<size_t>(Room));
        Bytes.resize(Before + static_cast<size_t>(Room));
        const int64_t Got = ReadUpTo(*this, Bytes.data() + Before, Room);
        Bytes.resize(Before + static_cast<size_t>(Got));
        if (Got < Room)
            return Bytes;
    }
}
