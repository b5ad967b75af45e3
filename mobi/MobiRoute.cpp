#include "mobi/MobiRoute.h"

#include "mobi/MobiCoverFallbacks.h"
#include "mobi/MobiUnit.h"

bool OfferMobiCovers(TStream& Book, bool AllowFirstPicture, bool Fallbacks, TReadBudget& Budget,
                     const TCoverCandidateTaker& Take)
{
    TPalmPDB Database(Book);
    const TMobiCoverFields Fields = ReadMobiCoverFields(Database, Budget);
    {
        // With fallbacks the first picture comes after the thumbnail record,
        // so the cover lookup runs without it.
        TBytes Cover;
        ExtractMobiCover(Database, Fields, AllowFirstPicture && !Fallbacks, Budget, Cover);
        if (!Cover.empty() && Take(Cover.data(), Cover.size()))
            return true;
    }
    return Fallbacks && OfferMobiFallbackCovers(Database, Fields, AllowFirstPicture, Budget, Take);
}
