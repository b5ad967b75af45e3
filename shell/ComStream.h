#pragma once

#include <objidl.h>

#include "core/Stream.h"

// A read-only TStream over an IStream a shell hands to a handler, so that the
// routes read the book through the same contract as a file. Holds a
// reference to the IStream for its own lifetime.
class TComStream : public TStream {
public:
    explicit TComStream(IStream* Stream);
    ~TComStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    IStream* FStream;
};
