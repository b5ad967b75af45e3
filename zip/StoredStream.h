#pragma once

#include <cstdint>

#include "core/Stream.h"

// The bytes of a stored entry: a window of Size bytes of the archive stream
// from its position at creation. Positions count from the entry's first data
// byte; reads at or past Size return 0. It never closes the archive stream.
class TStoredStream : public TStream {
public:
    TStoredStream(TStream& Source, int64_t Size);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    TStream& FSource;
    int64_t FStart;
    int64_t FSize;
    int64_t FPosition = 0;
};
