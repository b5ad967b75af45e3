#include "mobi/MobiRoute.h"

#include "mobi/MobiCoverFallbacks.h"
#include "mobi/MobiUnit.h"

bool OfferMobiCovers(TStream& Book, bool AllowFirstPicture, bool Fallbacks, TReadBudget& Budget,
                     const TCoverCandidateTaker& Take)
{
    TPalmPDB Database(Book);
    const TMobiCoverFields Fields = ReadMobiCoverFields(Database, Budget);
    // With fallbacks the first picture comes after the thumbnail record, so
    // the cover lookup runs without it. The record is offered as a window on
    // the book, so the decoder reads it in pieces and it is never held whole.
    const int32_t CoverRecord = MobiCoverRecord(Database, Fields, AllowFirstPicture && !Fallbacks);
    if (CoverRecord >= 0) {
        TStreamWindow Cover = Database.RecordStream(CoverRecord, Budget);
        if (Cover.Size() > 0 && Take(Cover))
            return true;
    }
    return Fallbacks && OfferMobiFallbackCovers(Database, Fields, AllowFirstPicture, Budget, Take);
}
