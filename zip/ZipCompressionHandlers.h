#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/Stream.h"
#include "zip/ZipHeader.h"

class TZipFile;

// The compression method number of an entry (its low 8 bits).
using TZipCompression = uint8_t;

// Makes an entry stream over the archive stream, which stands at the entry's
// first data byte. Item is the entry's central directory header. The caller
// owns the result and frees it before the archive stream.
using TStreamConstructor = std::unique_ptr<TStream> (*)(TStream& InStream, const TZipFile& ZipFile,
                                                        const TZipHeader& Item);

struct TZipCompressionHandler {
    TStreamConstructor Compress = nullptr;
    TStreamConstructor Decompress = nullptr;
    // Most uncompressed bytes one byte of entry data can yield; lets a reader
    // refuse a stated size that the rest of the file cannot hold.
    uint32_t MaxExpansion = 0;
};

// The compression methods the reader can decompress, keyed by method number.
class TZipCompressionHandlers {
public:
    constexpr void RegisterCompressionHandler(TZipCompression Method, TStreamConstructor Compress,
                                              TStreamConstructor Decompress, uint32_t MaxExpansion)
    {
        FHandlers[Method] = TZipCompressionHandler{Compress, Decompress, MaxExpansion};
    }
    // nullptr for a method that no handler decompresses.
    constexpr const TZipCompressionHandler* Find(TZipCompression Method) const
    {
        return FHandlers[Method].Decompress ? &FHandlers[Method] : nullptr;
    }

private:
    std::array<TZipCompressionHandler, 256> FHandlers{};
};

// The process-wide table: stored (0) and deflate (8). It is constant-initialised
// when the module loads and never written afterwards.
const TZipCompressionHandlers& ZipCompressionHandlers();
