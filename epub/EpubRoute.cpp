#include "epub/EpubRoute.h"

#include "epub/EpubCover.h"
#include "epub/EpubCoverFallbacks.h"
#include "zip/ZipFile.h"

namespace {

bool OfferBytes(const TBytes& Picture, const TCoverCandidateTaker& Take)
{
    return !Picture.empty() && Take(Picture.data(), Picture.size());
}

}

bool OfferEpubCovers(TStream& Book, bool Fallbacks, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    TZipFile Zip;
    if (!Zip.OpenIfArchive(Book))
        return false;
    if (!Fallbacks)
        return OfferBytes(ExtractEpubCover(Zip, Budget), Take);
    try {
        if (OfferBytes(ExtractEpubCover(Zip, Budget), Take))
            return true;
    } catch (const Exception&) {
        // A cover entry that is missing or damaged leaves the other ways.
    }
    return OfferEpubFallbackCovers(Zip, Budget, Take);
}
