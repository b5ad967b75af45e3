// The Mobipocket route over arbitrary bytes: the Palm database reader, the
// MOBI header and EXTH walk (with and without the first-picture fallback),
// and the EXTH reader on the bytes taken as record 0 themselves.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/MemoryStream.h"
#include "mobi/MobiUnit.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

namespace {

void ExtractBothWays(const uint8_t* Data, size_t Size)
{
    for (const bool AllowFirstPicture : {false, true}) {
        try {
            TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(Data, static_cast<intptr_t>(Size)), u"fuzz");
            TBytes Cover;
            TReadBudget Budget(Limits::RequestReadBytes);
            ExtractMobiCover(Database, AllowFirstPicture, Budget, Cover);
            TBytes Record;
            for (int32_t Index = -1; Index <= Database.RecordListCount() && Index < 64; ++Index) {
                try {
                    Database.GetRecordB(Index, Record, Budget);
                } catch (const Exception&) {
                }
            }
        } catch (const Exception&) {
            // Damaged databases are refused with an exception; only crashes,
            // hangs and leaks are findings.
        }
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    ExtractBothWays(Data, Size);
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    const int64_t At = FindBytesInStream(Stream, 1, "EXTH", 0);
    if (At >= 0)
        ReadEXTHOffsets(TBytes(Data, Data + Size), static_cast<size_t>(At));
    return 0;
}
