// The EPUB cover fallbacks over an archive made of the fuzzer's bytes, every
// candidate refused so that all rules run; and the page, SVG, navigation
// document, data: URI and href readers on the bytes themselves.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/MemoryStream.h"
#include "epub/CoverPage.h"
#include "epub/DataUri.h"
#include "epub/EpubCoverFallbacks.h"
#include "epub/EpubHref.h"
#include "epub/NavLandmarks.h"
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
        OfferEpubFallbackCovers(Zip, Budget, [](const uint8_t*, size_t) { return false; });
    } catch (const Exception&) {
        // A damaged archive is refused with an exception; only crashes,
        // hangs and leaks are findings.
    }
    SniffMarkup(Data, Size);
    ReadPagePictures(Data, Size);
    LandmarkCoverHrefs(Data, Size);
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    ResolveEpubHref("OEBPS/text/", Text);
    DecodeDataUri(Text, Size);
    return 0;
}
