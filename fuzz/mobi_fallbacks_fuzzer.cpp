// The Mobipocket cover fallbacks over arbitrary bytes taken as a Palm
// database (every candidate refused, with and without the first picture),
// and the thumbnail walk over the bytes taken as record 0.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/MemoryStream.h"
#include "mobi/MobiCoverFallbacks.h"
#include "mobi/MobiUnit.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    for (const bool AllowFirstPicture : {false, true}) {
        try {
            TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(Data, static_cast<intptr_t>(Size)), u"fuzz");
            TReadBudget Budget(Limits::RequestReadBytes);
            OfferMobiFallbackCovers(Database, ReadMobiCoverFields(Database, Budget), AllowFirstPicture, Budget,
                                    [](const uint8_t*, size_t) { return false; });
        } catch (const Exception&) {
            // Damaged databases are refused with an exception.
        }
    }
    const TBytes Record0(Data, Data + Size);
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    const int64_t At = FindBytesInStream(Stream, 1, "EXTH", 0);
    if (At >= 0)
        ReadEXTHOffsets(Record0, static_cast<size_t>(At));
    return 0;
}
