#include "zip/StoredStream.h"

#include <algorithm>
#include <limits>

TStoredStream::TStoredStream(TStream& Source, int64_t Size)
    : FSource(Source), FStart(Source.Position()), FSize(Size < 0 ? 0 : Size)
{
}

int64_t TStoredStream::Read(void* Buffer, int64_t Count)
{
    if (Count <= 0 || FPosition < 0 || FPosition >= FSize)
        return 0;
    const int64_t Wanted = std::min(Count, FSize - FPosition);
    // Other readers of the archive stream may have moved it meanwhile.
    FSource.Seek(FStart + FPosition, soBeginning);
    const int64_t Got = FSource.Read(Buffer, Wanted);
    if (Got > 0)
        FPosition += Got;
    return Got > 0 ? Got : 0;
}

int64_t TStoredStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    const int64_t Base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : FSize;
    // Offsets come from callers; saturate rather than overflow.
    constexpr int64_t Max = std::numeric_limits<int64_t>::max();
    constexpr int64_t Min = std::numeric_limits<int64_t>::min();
    if (Offset > 0 && Base > Max - Offset)
        FPosition = Max;
    else if (Offset < 0 && Base < Min - Offset)
        FPosition = Min;
    else
        FPosition = Base + Offset;
    return FPosition;
}
