#include "render/JpegSource.h"

#include <cstddef>

#include <jerror.h>

namespace {

// A piece of 64 KiB: few reads, and little memory touched.
constexpr size_t StreamPieceBytes = 64 * 1024;
const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

// Public comes first: the library knows the source by it alone.
struct TStreamSource {
    jpeg_source_mgr Public;
    TStream* Stream;
    JOCTET* Piece;
    uint64_t Fetched; // bytes read from the stream so far
};

TStreamSource& SourceOf(const jpeg_decompress_struct& Info) { return *reinterpret_cast<TStreamSource*>(Info.src); }

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillWithEndOfImage(j_decompress_ptr Info)
{
    WARNMS(Info, JWRN_JPEG_EOF);
    Info->src->next_input_byte = EndOfImage;
    Info->src->bytes_in_buffer = sizeof EndOfImage;
    return TRUE;
}

boolean FillFromStream(j_decompress_ptr Info)
{
    TStreamSource& Source = SourceOf(*Info);
    int64_t Count = 0;
    bool Failed = false;
    try {
        Count = ReadUpTo(*Source.Stream, Source.Piece, StreamPieceBytes);
    } catch (...) {
        Failed = true;
    }
    // Out of the handler first: the library leaves by longjmp.
    if (Failed)
        ExitToJump(reinterpret_cast<j_common_ptr>(Info));
    if (Count <= 0)
        return FillWithEndOfImage(Info);
    Source.Fetched += static_cast<uint64_t>(Count);
    Info->src->next_input_byte = Source.Piece;
    Info->src->bytes_in_buffer = static_cast<size_t>(Count);
    return TRUE;
}

// As the library's own sources skip: within what is there, then piece by
// piece, so the library is given the same bytes as from memory.
void SkipInput(j_decompress_ptr Info, long Count)
{
    if (Count <= 0)
        return;
    jpeg_source_mgr& Source = *Info->src;
    while (Count > static_cast<long>(Source.bytes_in_buffer)) {
        Count -= static_cast<long>(Source.bytes_in_buffer);
        Source.fill_input_buffer(Info);
    }
    Source.next_input_byte += Count;
    Source.bytes_in_buffer -= static_cast<size_t>(Count);
}

}

void UseStreamSource(jpeg_decompress_struct& Info, TStream& Stream)
{
    auto* Common = reinterpret_cast<j_common_ptr>(&Info);
    auto* Source = static_cast<TStreamSource*>(Info.mem->alloc_small(Common, JPOOL_PERMANENT, sizeof(TStreamSource)));
    *Source = TStreamSource{};
    Source->Stream = &Stream;
    Source->Piece = static_cast<JOCTET*>(Info.mem->alloc_small(Common, JPOOL_PERMANENT, StreamPieceBytes));
    Source->Public.init_source = InitSource;
    Source->Public.fill_input_buffer = FillFromStream;
    Source->Public.skip_input_data = SkipInput;
    Source->Public.resync_to_restart = jpeg_resync_to_restart;
    Source->Public.term_source = TermSource;
    Info.src = &Source->Public;
}

uint64_t StreamBytesTaken(const jpeg_decompress_struct& Info)
{
    const TStreamSource& Source = SourceOf(Info);
    const JOCTET* Next = Source.Public.next_input_byte;
    // Past the end the library reads from the end-of-image marker.
    const bool InPiece = Next >= Source.Piece && Next <= Source.Piece + StreamPieceBytes;
    return InPiece ? Source.Fetched - Source.Public.bytes_in_buffer : Source.Fetched;
}
