#pragma once

#include <cstdint>
#include <memory>

#include <zlib.h>

#include "core/Exceptions.h"
#include "core/Stream.h"

BRISLEAF_EXCEPTION(EZDecompressionError, Exception);

// Inflates raw deflate data (no zlib or gzip header) read from the archive
// stream, from its position at creation until the deflate data ends. Forward
// only: it can restart from the beginning and skip ahead, nothing else. It
// never closes the archive stream.
class TZDecompressionStream : public TStream {
public:
    explicit TZDecompressionStream(TStream& Source);
    ~TZDecompressionStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    static constexpr uInt InputChunk = 65536;
    static constexpr int64_t SkipChunk = 16384;

    void Restart();
    // Inflates and drops Count bytes; returns how many there were.
    int64_t Skip(int64_t Count);
    // Inflates into Buffer, at most Count bytes (Count fits in uInt).
    uInt Inflate(uint8_t* Buffer, uInt Count);

    TStream& FSource;
    int64_t FStart;
    int64_t FSourcePosition;  // where this stream left the archive stream
    int64_t FPosition = 0;    // uncompressed bytes delivered
    bool FEnded = false;
    z_stream FZStream{};
    std::unique_ptr<uint8_t[]> FInput;
};
