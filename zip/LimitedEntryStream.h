#pragma once

#include <cstdint>

#include "core/ReadBudget.h"
#include "core/Stream.h"
#include "core/Types.h"

// The one way an entry is read: forward, charging every byte that comes out
// to the request's budget, and failing with EZipException "Error reading zip
// file" once more than Limit bytes (or more than the budget had left when
// the read began) have come out, so that reading an entry to its end costs
// at most that much inflating, whatever the archive claims. Its size is
// unknown: it reports what has been read.
class TLimitedEntryStream : public TStream {
public:
    TLimitedEntryStream(TStream& Entry, uint64_t Limit, TReadBudget& Budget);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t GetSize() override { return FDone; }
    // The most this stream yields.
    uint64_t Limit() const { return static_cast<uint64_t>(FLimit); }

    // Everything up to Count bytes, or to the entry's end, chunk by chunk:
    // nothing is held for bytes that do not come.
    TBytes ReadAtMost(uint64_t Count);

private:
    TStream& FEntry;
    TReadBudget& FBudget;
    int64_t FLimit;
    int64_t FDone = 0;
};
