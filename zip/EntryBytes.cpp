#include "zip/EntryBytes.h"

#include <vector>

#include "zip/ZipErrors.h"

namespace {

constexpr int64_t ScratchSize = 65536;

}

TBytes ReadToEnd(TStream& Stream, uint32_t Limit)
{
    // The first pass only counts, the second keeps: a bomb costs one pass of
    // inflating into a small buffer, never the memory, and an entry within
    // the limit is held in one array of its exact size.
    std::vector<uint8_t> Scratch(ScratchSize);
    int64_t Total = 0;
    for (;;) {
        const int64_t Got = Stream.Read(Scratch.data(), ScratchSize);
        if (Got <= 0)
            break;
        Total += Got;
        if (Total > Limit)
            throw EZipException(SZipReadError);
    }
    Stream.Seek(0, soBeginning);
    TBytes Result(static_cast<size_t>(Total));
    if (ReadUpTo(Stream, Result.data(), Total) != Total)
        throw EZipException(SZipReadError);
    return Result;
}
