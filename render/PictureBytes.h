#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Stream.h"
#include "core/Types.h"

// The whole content of a stream as one block of memory: the stream's own
// memory when it is a memory stream (read in place, no copy), else a copy
// read from position 0. Raises when the stream cannot be read.
class TPictureBytes {
public:
    explicit TPictureBytes(TStream& Stream);
    TPictureBytes(const TPictureBytes&) = delete;
    TPictureBytes& operator=(const TPictureBytes&) = delete;

    const uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }

private:
    TBytes FCopy;
    const uint8_t* FData = nullptr;
    size_t FSize = 0;
};
