#pragma once

#include <cstdint>

#include "core/Stream.h"

// A stream over a block of memory that someone else owns. The position is
// never clamped: it may stand below 0 or past the end, where reads give 0.
// Position arithmetic is done at pointer width.
class TCustomMemoryStream : public TStream {
public:
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    void SaveToStream(TStream& Stream);
    const uint8_t* Memory() const { return FMemory; }

protected:
    void SetPointer(const void* Ptr, intptr_t Size);

    const uint8_t* FMemory = nullptr;
    intptr_t FSize = 0;
    intptr_t FPosition = 0;
};

// Read-only view of a caller's byte block; it never copies or frees it.
class TPointerReadOnlyStream : public TCustomMemoryStream {
public:
    TPointerReadOnlyStream(const void* P, intptr_t Size);
    using TCustomMemoryStream::SetPointer;
};
