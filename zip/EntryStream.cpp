#include "zip/EntryStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "zip/ZipErrors.h"
#include "zip/ZipFile.h"

TEntryStream::TEntryStream(TZipFile& Zip, std::u16string Name, std::unique_ptr<TStream> Entry, uint32_t Limit,
                           TReadBudget& Budget, uint32_t Wanted, uint32_t Length)
    : FZip(Zip), FName(std::move(Name)), FLimit(Limit), FBudget(Budget), FWanted(Wanted), FLength(Length)
{
    Open(std::move(Entry));
}

void TEntryStream::Open(std::unique_ptr<TStream> Entry)
{
    FEntry = std::move(Entry);
    FLimited = std::make_unique<TLimitedEntryStream>(*FEntry, FLimit, FBudget);
    FPosition = 0;
}

int64_t TEntryStream::Read(void* Buffer, int64_t Count)
{
    if (Count <= 0 || FPosition < 0 || FPosition >= FLength)
        return 0;
    Count = std::min(Count, FLength - FPosition);
    auto* Out = static_cast<uint8_t*>(Buffer);
    int64_t Done = 0;
    if (FPosition < FWanted) {
        const int64_t Asked = std::min(Count, FWanted - FPosition);
        Done = ReadUpTo(*FLimited, Out, Asked);
        if (Done < Asked)
            throw EZipException(SZipReadError);
    }
    // A local size below the central one leaves the rest zero.
    std::memset(Out + Done, 0, static_cast<size_t>(Count - Done));
    FPosition += Count;
    return Count;
}

int64_t TEntryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    if (Offset == 0 && Origin == soCurrent)
        return FPosition;
    if (Offset == 0 && Origin == soBeginning) {
        if (FPosition != 0) {
            // The old entry goes first: the new one takes over its memory.
            FLimited.reset();
            FEntry.reset();
            TZipHeader LocalHeader;
            Open(FZip.Read(FName, LocalHeader));
        }
        return 0;
    }
    throw EZipException(SZipReadError);
}
