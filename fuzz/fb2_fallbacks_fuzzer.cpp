// The FictionBook cover fallbacks over arbitrary bytes: as a document (both
// lookups, every candidate refused), as a text read leniently, and as an
// archive of FictionBook entries. On a document that parses, the lenient
// reader finds no picture that the lookups do not offer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "fb2/Base64.h"
#include "fb2/FB2CoverFallbacks.h"
#include "fb2/FB2LenientCover.h"
#include "xml/XMLDocument.h"
#include "xml/XMLText.h"
#include "zip/ZipFile.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    std::vector<std::string> Offered;
    const auto Refuse = [&Offered](const uint8_t* Picture, size_t Bytes) {
        Offered.emplace_back(reinterpret_cast<const char*>(Picture), Bytes);
        return false;
    };
    bool Parsed = false;
    try {
        IXMLDocument Document = NewXMLDocument();
        TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
        SetXMLTextFromStream(Document, Stream);
        try {
            Document->Activate();
            Parsed = true;
        } catch (const Exception&) {
        }
        OfferFB2DocumentCovers(std::move(Document), Refuse);
    } catch (const Exception&) {
    }
    try {
        TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
        const TXMLBuffer Text = ReadXMLText(Stream);
        const std::string_view Found = FindLenientFB2CoverText(std::string_view(Text.Data(), Text.Size()));
        const std::string Picture = DecodeBase64Utf8(Found);
        if (Parsed && !Picture.empty() &&
            std::find(Offered.begin(), Offered.end(), Picture) == Offered.end())
            __builtin_trap();
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
