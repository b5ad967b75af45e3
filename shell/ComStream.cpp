#include "shell/ComStream.h"

#include <algorithm>

#include "core/Exceptions.h"

TComStream::TComStream(IStream* Stream) : FStream(Stream) { FStream->AddRef(); }

TComStream::~TComStream() { FStream->Release(); }

int64_t TComStream::Read(void* Buffer, int64_t Count)
{
    // IStream counts in 32 bits: larger reads go in pieces, and a short piece
    // is the end of the stream.
    int64_t Done = 0;
    auto* Bytes = static_cast<uint8_t*>(Buffer);
    while (Done < Count) {
        const ULONG Piece = static_cast<ULONG>(std::min<int64_t>(Count - Done, 1 << 30));
        ULONG Got = 0;
        if (FAILED(FStream->Read(Bytes + Done, Piece, &Got)))
            break;
        Done += std::min(Got, Piece);
        if (Got < Piece)
            break;
    }
    return Done;
}

int64_t TComStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    const DWORD ComOrigin = Origin == soBeginning ? STREAM_SEEK_SET : Origin == soCurrent ? STREAM_SEEK_CUR : STREAM_SEEK_END;
    LARGE_INTEGER Move;
    Move.QuadPart = Offset;
    ULARGE_INTEGER Position{};
    if (FAILED(FStream->Seek(Move, ComOrigin, &Position)) || Position.QuadPart > INT64_MAX)
        throw EStreamError("Stream seek error");
    return static_cast<int64_t>(Position.QuadPart);
}
