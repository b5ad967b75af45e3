#include "zip/BoundedEntry.h"

#include <algorithm>

#include "core/Stream.h"

namespace {

constexpr int64_t ChunkSize = 65536;

}

std::optional<TBytes> ReadBoundedEntry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit,
                                       TReadBudget* Budget)
{
    if (Budget)
        Limit = static_cast<uint32_t>(std::min<uint64_t>(Limit, Budget->Left()));
    const int Index = Zip.IndexOf(Name);
    if (Index < 0 || Zip.FileInfo(Index).UncompressedSize > Limit)
        return std::nullopt;
    try {
        TZipHeader LocalHeader;
        const std::unique_ptr<TStream> Entry = Zip.Read(Name, LocalHeader);
        // The stated size is a hint only: the bytes grow chunk by chunk and
        // one byte beyond the limit ends the read. The byte after the stated
        // size is reserved too, so that the read that finds the end does not
        // double a block that was just right.
        TBytes Bytes;
        Bytes.reserve(static_cast<size_t>(Zip.FileInfo(Index).UncompressedSize) + 1);
        for (;;) {
            int64_t Room = std::min<int64_t>(ChunkSize, int64_t{Limit} + 1 - static_cast<int64_t>(Bytes.size()));
            if (Bytes.capacity() > Bytes.size())
                Room = std::min<int64_t>(Room, static_cast<int64_t>(Bytes.capacity() - Bytes.size()));
            const size_t Before = Bytes.size();
            Bytes.resize(Before + static_cast<size_t>(Room));
            const int64_t Got = ReadUpTo(*Entry, Bytes.data() + Before, Room);
            Bytes.resize(Before + static_cast<size_t>(Got));
            if (Budget)
                Budget->Charge(static_cast<uint64_t>(Got));
            if (static_cast<int64_t>(Bytes.size()) > int64_t{Limit})
                return std::nullopt;
            if (Got < Room)
                return Bytes;
        }
    } catch (const Exception&) {
        return std::nullopt;
    }
}
