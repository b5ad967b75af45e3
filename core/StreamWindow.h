#pragma once

#include <cstdint>

#include "core/Stream.h"

// Bytes Offset to Offset + Size of another stream, which the caller keeps
// alive, as a stream of their own from position 0. Each read seeks the other
// stream first, so both may be read in turn.
class TStreamWindow : public TStream {
public:
    TStreamWindow(TStream& Base, int64_t Offset, int64_t Size) : FBase(Base), FOffset(Offset), FSize(Size) {}

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t GetSize() override { return FSize; }

private:
    TStream& FBase;
    int64_t FOffset, FSize;
    int64_t FPosition = 0;
};
