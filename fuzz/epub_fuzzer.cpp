// Follows an EPUB's cover chain through an archive made of the fuzzer's bytes.
#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "epub/EpubCover.h"
#include "zip/ZipFile.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    try {
        TZipFile Zip;
        Zip.Open(Stream, zmRead);
        TReadBudget Budget(Limits::RequestReadBytes);
        ExtractEpubCover(Zip, Budget);
    } catch (const Exception&) {
    }
    return 0;
}
