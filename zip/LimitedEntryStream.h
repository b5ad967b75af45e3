#pragma once

#include <cstdint>

#include "core/Stream.h"

// Reads an entry stream forward and fails with EZipException "Error reading
// zip file" once more than Limit bytes have come out of it, so that reading
// an entry to its end costs at most Limit bytes of inflating, whatever the
// archive claims. Its size is unknown: it reports what has been read.
class TLimitedEntryStream : public TStream {
public:
    TLimitedEntryStream(TStream& Entry, int64_t Limit) : FEntry(Entry), FLimit(Limit) {}

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t GetSize() override { return FDone; }

private:
    TStream& FEntry;
    int64_t FLimit;
    int64_t FDone = 0;
};
