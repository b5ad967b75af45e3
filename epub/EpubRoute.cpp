#include "epub/EpubRoute.h"

#include "core/Limits.h"
#include "epub/EpubCover.h"
#include "epub/EpubCoverFallbacks.h"
#include "zip/ZipFile.h"

namespace {

// The cover entry is offered as a stream, so the decoder inflates it as it
// reads and it is never held whole; an entry whose size only its end tells is
// read whole first.
bool OfferCover(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    const std::u16string Name = EpubCoverEntryName(Zip, Budget);
    if (Name.empty())
        return false;
    if (const std::unique_ptr<TStream> Picture = Zip.ReadStream(Name, Limits::CoverPictureBytes, Budget))
        return Picture->Size() > 0 && Take(*Picture);
    const TBytes Picture = Zip.Read(Name, Limits::CoverPictureBytes, Budget);
    return !Picture.empty() && Take(Picture.data(), Picture.size());
}

}

bool OfferEpubCovers(TStream& Book, bool Fallbacks, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    TZipFile Zip;
    if (!Zip.OpenIfArchive(Book))
        return false;
    if (!Fallbacks)
        return OfferCover(Zip, Budget, Take);
    try {
        if (OfferCover(Zip, Budget, Take))
            return true;
    } catch (const Exception&) {
        // A cover entry that is missing or damaged leaves the other ways.
    }
    return OfferEpubFallbackCovers(Zip, Budget, Take);
}
