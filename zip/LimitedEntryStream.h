#pragma once

#include <algorithm>
#include <cstdint>

#include "core/ReadBudget.h"
#include "core/Stream.h"
#include "core/Types.h"

// The one way an entry is read: forward, charging every byte that comes out
// to the request's budget, and failing with EZipException "Error reading zip
// file" once more than Limit bytes (or more than the budget had left when
// the read began) have come out, so that reading an entry to its end costs
// at most that much inflating, whatever the archive claims. Its size is the
// entry's stated size (Expected, lowered to the limit) until more than that
// has been read, then what has been read: a hint for a reader that sizes its
// buffer by it, never a promise. A read yields at most as much again as has
// come (at least 64 KiB), so that a reader that stops early has not inflated
// far ahead of it.
class TLimitedEntryStream : public TStream {
public:
    TLimitedEntryStream(TStream& Entry, uint64_t Limit, TReadBudget& Budget, uint64_t Expected = 0);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t GetSize() override { return std::max(FDone, FExpected); }
    // The most this stream yields.
    uint64_t Limit() const { return static_cast<uint64_t>(FLimit); }

    // Everything up to Count bytes, or to the entry's end, in reads that
    // each ask for as much again as has come (at least 64 KiB), into room
    // reserved once for min(Count, Reserve) bytes: no copy while it grows to
    // that, and at most twice what came is ever touched. Reserve is a size
    // the caller has checked against the limits and the file; an untrusted
    // size reserves nothing.
    TBytes ReadAtMost(uint64_t Count, uint64_t Reserve = 0);

private:
    TStream& FEntry;
    TReadBudget& FBudget;
    int64_t FLimit;
    int64_t FExpected;
    int64_t FDone = 0;
};
