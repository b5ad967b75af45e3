#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ReadBudget.h"
#include "core/Stream.h"
#include "zip/LimitedEntryStream.h"

class TZipFile;

// An entry's bytes as TZipFile::Read(Name, Limit, Budget) returns them, but
// read as they are wanted instead of held whole: Wanted bytes of the entry,
// each charged to Budget as it comes, then zeros up to Length. An entry that
// ends before Wanted is EZipException "Error reading zip file" where a read
// meets its end. Seeking back to 0 opens the entry again, and what is read
// again is charged again.
class TEntryStream : public TStream {
public:
    TEntryStream(TZipFile& Zip, std::u16string Name, std::unique_ptr<TStream> Entry, uint32_t Limit,
                 TReadBudget& Budget, uint32_t Wanted, uint32_t Length);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t GetSize() override { return FLength; }

private:
    void Open(std::unique_ptr<TStream> Entry);

    TZipFile& FZip;
    std::u16string FName;
    uint32_t FLimit;
    TReadBudget& FBudget;
    int64_t FWanted, FLength;
    std::unique_ptr<TStream> FEntry;
    std::unique_ptr<TLimitedEntryStream> FLimited;
    int64_t FPosition = 0;
};
