#include "zip/ZDecompressionStream.h"

#include <algorithm>
#include <limits>

namespace {

const char* const SInvalidOperation = "Invalid ZStream operation!";

// Window bits for deflate data with no zlib or gzip wrapper.
constexpr int RawDeflateWindowBits = -15;

// Largest output request handed to zlib at once (its counts are 32-bit).
constexpr int64_t MaxInflateRequest = int64_t{1} << 30;

}

TZDecompressionStream::TZDecompressionStream(TStream& Source)
    : FSource(Source), FStart(Source.Position()), FSourcePosition(FStart),
      FInput(std::make_unique_for_overwrite<uint8_t[]>(InputChunk))
{
    const int Result = inflateInit2(&FZStream, RawDeflateWindowBits);
    if (Result != Z_OK)
        throw EZDecompressionError(zError(Result));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&FZStream); }

int64_t TZDecompressionStream::Read(void* Buffer, int64_t Count)
{
    if (Count <= 0 || FEnded)
        return 0;
    // Another reader of the archive may have moved it.
    if (FSource.Position() != FSourcePosition)
        FSource.Seek(FSourcePosition, soBeginning);
    auto* Out = static_cast<uint8_t*>(Buffer);
    int64_t Produced = 0;
    while (Produced < Count) {
        const auto Request = static_cast<uInt>(std::min(Count - Produced, MaxInflateRequest));
        const uInt Got = Inflate(Out + Produced, Request);
        Produced += Got;
        if (Got < Request)
            break;
    }
    FPosition += Produced;
    return Produced;
}

uInt TZDecompressionStream::Inflate(uint8_t* Buffer, uInt Count)
{
    FZStream.next_out = Buffer;
    FZStream.avail_out = Count;
    while (FZStream.avail_out > 0 && !FEnded) {
        if (FZStream.avail_in == 0) {
            const int64_t Got = FSource.Read(FInput.get(), InputChunk);
            if (Got <= 0)
                break; // the archive ends before the deflate data: a short read
            FZStream.next_in = FInput.get();
            FZStream.avail_in = static_cast<uInt>(Got);
            FSourcePosition += Got;
        }
        const int Result = inflate(&FZStream, Z_NO_FLUSH);
        // Raw deflate never asks for a dictionary; taking it as an error also
        // keeps a result that makes no progress from looping.
        if (Result < 0 || Result == Z_NEED_DICT)
            throw EZDecompressionError(zError(Result));
        if (Result == Z_STREAM_END) {
            FEnded = true;
            // Give back what follows the deflate data.
            if (FZStream.avail_in > 0) {
                FSourcePosition -= FZStream.avail_in;
                FZStream.avail_in = 0;
                FSource.Seek(FSourcePosition, soBeginning);
            }
        }
    }
    return Count - FZStream.avail_out;
}

int64_t TZDecompressionStream::Write(const void*, int64_t) { throw EZDecompressionError(SInvalidOperation); }

void TZDecompressionStream::Restart()
{
    inflateReset(&FZStream);
    FZStream.avail_in = 0;
    FSourcePosition = FStart;
    FPosition = 0;
    FEnded = false;
}

int64_t TZDecompressionStream::Skip(int64_t Count)
{
    uint8_t Discard[SkipChunk];
    int64_t Skipped = 0;
    while (Skipped < Count) {
        const int64_t Wanted = std::min(Count - Skipped, SkipChunk);
        const int64_t Got = Read(Discard, Wanted);
        Skipped += Got;
        if (Got < Wanted)
            break;
    }
    return Skipped;
}

int64_t TZDecompressionStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    int64_t Forward = 0;
    switch (Origin) {
    case soCurrent:
        if (Offset < 0)
            throw EZDecompressionError(SInvalidOperation);
        Forward = Offset;
        break;
    case soBeginning:
        if (Offset < 0)
            throw EZDecompressionError(SInvalidOperation);
        // Backwards means inflating again from the start.
        if (Offset == 0 || Offset < FPosition)
            Restart();
        Forward = Offset - FPosition;
        break;
    case soEnd:
        if (Offset != 0)
            throw EZDecompressionError(SInvalidOperation);
        Skip(std::numeric_limits<int64_t>::max());
        return FPosition;
    }
    if (Forward > 0 && Skip(Forward) != Forward)
        throw EReadError(SReadError);
    return FPosition;
}
