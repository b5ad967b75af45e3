#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/Exceptions.h"
#include "core/Stream.h"

// A stream over bytes in memory that is not a memory stream, so readers
// take their own copy, and that gives at most Chunk bytes a read, as a pipe
// or a slow file may; a read raises once FailAt bytes lie before it.
class TChunkedStream : public TStream {
public:
    TChunkedStream(const void* Data, size_t Size, int64_t Chunk, int64_t FailAt = INT64_MAX)
        : FData(static_cast<const uint8_t*>(Data)), FSize(static_cast<int64_t>(Size)), FChunk(Chunk), FFailAt(FailAt)
    {
    }
    int64_t Read(void* Buffer, int64_t Count) override
    {
        if (FPosition >= FFailAt)
            throw EReadError(SReadError);
        const int64_t N = FPosition < 0 ? 0 : std::max<int64_t>(0, std::min({Count, FSize - FPosition, FChunk}));
        if (N > 0)
            std::memcpy(Buffer, FData + FPosition, static_cast<size_t>(N));
        FPosition += N;
        BytesRead += N;
        return N;
    }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override
    {
        FPosition = (Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : FSize) + Offset;
        return FPosition;
    }

    int64_t BytesRead = 0;

private:
    const uint8_t* FData;
    int64_t FSize;
    int64_t FChunk;
    int64_t FFailAt;
    int64_t FPosition = 0;
};
