#include "zip/ZipCompressionHandlers.h"

#include "zip/StoredStream.h"
#include "zip/ZDecompressionStream.h"

namespace {

// A stored entry is its CompressedSize bytes, taken as the central directory
// states it.
std::unique_ptr<TStream> MakeStoredStream(TStream& InStream, const TZipFile&, const TZipHeader& Item)
{
    return std::make_unique<TStoredStream>(InStream, Item.CompressedSize);
}

// Deflate data ends itself; the compressed size is not a bound.
std::unique_ptr<TStream> MakeDecompressionStream(TStream& InStream, const TZipFile&, const TZipHeader&)
{
    return std::make_unique<TZDecompressionStream>(InStream);
}

// Deflate's best case is a 258-byte match coded in 2 bits: 1032 bytes out per
// byte in.
constexpr uint32_t DeflateMaxExpansion = 1032;

// The reader never writes archives, so there are no compressing streams.
constexpr TZipCompressionHandlers MakeHandlers()
{
    TZipCompressionHandlers Handlers;
    Handlers.RegisterCompressionHandler(0, nullptr, MakeStoredStream, 1);
    Handlers.RegisterCompressionHandler(8, nullptr, MakeDecompressionStream, DeflateMaxExpansion);
    return Handlers;
}

constexpr TZipCompressionHandlers Handlers = MakeHandlers();

}

const TZipCompressionHandlers& ZipCompressionHandlers() { return Handlers; }
