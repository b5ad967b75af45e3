// The FictionBook cover fallbacks over arbitrary bytes: as a document (both
// lookups, every candidate refused), and as an archive of FictionBook entries.
#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "fb2/FB2CoverFallbacks.h"
#include "xml/XMLDocument.h"
#include "zip/ZipFile.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const auto Refuse = [](const uint8_t*, size_t) { return false; };
    try {
        IXMLDocument Document = NewXMLDocument();
        TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
        SetXMLTextFromStream(Document, Stream);
        OfferFB2DocumentCovers(std::move(Document), Refuse);
    } catch (const Exception&) {
    }
    try {
        TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
        TZipFile Zip;
        Zip.Open(Stream, zmRead);
        TReadBudget Budget(Limits::RequestReadBytes);
        OfferZippedFB2Covers(Zip, Budget, Refuse);
    } catch (const Exception&) {
        // Damaged input is refused with an exception; only crashes, hangs
        // and leaks are findings.
    }
    return 0;
}
