#include "mobi/MobiCoverFallbacks.h"

#include "core/Limits.h"
#include "mobi/MobiLayout.h"

namespace {

constexpr int32_t NoRecord = NoCover;

bool OfferRecord(TPalmPDB& Database, int64_t Index, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    if (Index < 0 || Index >= Database.RecordListCount())
        return false;
    const auto Record = static_cast<int32_t>(Index);
    if (Database.RecordHeader(Record).Size > int64_t{Limits::CoverPictureBytes})
        return false;
    try {
        TStreamWindow Bytes = Database.RecordStream(Record, Budget);
        return Bytes.Size() > 0 && Take(Bytes);
    } catch (const Exception&) {
        return false;
    }
}

}

bool OfferMobiFallbackCovers(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture,
                             TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    if (Fields.FirstImage <= 0 || Fields.EXTH.Cover != NoRecord)
        return false;
    const int32_t Thumbnail = Fields.EXTH.Thumbnail;
    if (Thumbnail != NoRecord && OfferRecord(Database, int64_t{Fields.FirstImage} + Thumbnail, Budget, Take))
        return true;
    return AllowFirstPicture && Thumbnail != 0 && OfferRecord(Database, Fields.FirstImage, Budget, Take);
}
