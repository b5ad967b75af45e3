#include "fb2/FB2Route.h"

#include <memory>
#include <utility>

#include "fb2/FB2Cover.h"
#include "fb2/FB2CoverFallbacks.h"
#include "fb2/FB2LenientCover.h"
#include "fb2/ZipFB2.h"
#include "xml/XMLText.h"
#include "zip/ZipFile.h"

namespace {

// A book larger than this leaves its pictures in the file until the cover's
// is asked for: holding a large book whole costs more than reading the
// cover's text twice (a first touch of memory is dear), while a smaller book
// is mostly its cover.
constexpr int64_t LastingBookBytes = int64_t{8} << 20;

bool OfferCover(IXMLDocument Document, bool Fallbacks, const TCoverCandidateTaker& Take)
{
    if (!Document)
        return false;
    if (Fallbacks)
        return OfferFB2DocumentCovers(std::move(Document), Take);
    const std::string Picture = ExtractFB2Cover(std::move(Document));
    return !Picture.empty() && Take(reinterpret_cast<const uint8_t*>(Picture.data()), Picture.size());
}

}

bool OfferPlainFB2Covers(TStream& Book, TFB2Reading Reading, bool Fallbacks, TReadBudget& Budget,
                         const TCoverCandidateTaker& Take)
{
    IXMLDocument Document = NewXMLDocument();
    if (Reading == TFB2Reading::AsText)
        Book.SetPosition(0);
    RefuseOversizedDocument(Book);
    Budget.Draw(static_cast<uint64_t>(Book.Size() - Book.Position()));
    try {
        if (Reading == TFB2Reading::AsFile && Book.Size() > LastingBookBytes) {
            // The book outlives the document. A run is read again at most
            // once: the book is drawn for twice.
            Budget.Draw(static_cast<uint64_t>(Book.Size()));
            Document->LoadFromLastingStream(Book);
        } else if (Reading == TFB2Reading::AsFile) {
            Document->LoadFromStream(Book);
        } else {
            Book.SetPosition(0);
            SetXMLTextFromStream(Document, Book);
        }
        if (Fallbacks)
            Document->Activate();
    } catch (const EDOMParseError&) {
        if (!Fallbacks)
            throw;
        // The refused text is read without its tree: a text refused for its
        // size is at hand, whole, any other is read again.
        TXMLBuffer Text = Document->TakeRefusedText();
        Document.reset();
        if (!Text.Empty())
            return OfferLenientFB2Cover(
                Reading == TFB2Reading::AsFile ? DecodeXMLText(std::move(Text)) : std::move(Text), Take);
        Book.SetPosition(0);
        Budget.Draw(static_cast<uint64_t>(Book.Size()));
        return OfferLenientFB2Cover(Book, Take);
    }
    return OfferCover(std::move(Document), Fallbacks, Take);
}

bool OfferZippedFB2BookCovers(TStream& Book, bool Fallbacks, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    TZipFile Zip;
    if (!Zip.OpenIfArchive(Book))
        return false;
    if (Fallbacks)
        return OfferZippedFB2Covers(Zip, Budget, Take);
    IXMLDocument Document;
    {
        // The entry stream goes before the archive it reads from.
        std::unique_ptr<TStream> EntryStream;
        Document = LoadFB2EntryDocument(Zip, EntryStream, Budget);
    }
    Zip.Close();
    return OfferCover(std::move(Document), false, Take);
}
