#include "mobi/MobiCoverFallbacks.h"

#include <cstring>

#include "core/ByteOrder.h"
#include "core/Limits.h"
#include "mobi/MobiLayout.h"
#include "mobi/MobiUnit.h"

namespace {

constexpr int32_t NoRecord = NoCover;
constexpr size_t HeadSize = EXTHHeadSize;
constexpr size_t RecordHeadSize = EXTHRecordHeadSize;

bool OfferRecord(TPalmPDB& Database, int64_t Index, const TCoverCandidateTaker& Take)
{
    if (Index < 0 || Index >= Database.RecordListCount())
        return false;
    const auto Record = static_cast<int32_t>(Index);
    if (Database.RecordHeader(Record).Size > Limits::MobiRecordBytes)
        return false;
    TBytes Bytes;
    try {
        Database.GetRecordB(Record, Bytes);
    } catch (const Exception&) {
        return false;
    }
    return !Bytes.empty() && Take(Bytes.data(), Bytes.size());
}

}

int32_t ReadEXTHThumbnailOffset(const TBytes& Record0, size_t At)
{
    const size_t Size = Record0.size();
    if (At > Size || Size - At < HeadSize || std::memcmp(Record0.data() + At, "EXTH", 4) != 0)
        return NoRecord;
    // Record count
    const int32_t Count = GetBEInt32(Record0.data() + At + 8);
    int32_t Result = NoRecord;
    size_t Position = At + HeadSize;
    // A skip may run past the end unchecked, as in the cover walk: only a
    // read after it fails the walk.
    bool PastEnd = false;
    for (int32_t Index = 0; Index < Count; ++Index) {
        if (PastEnd || Size - Position < RecordHeadSize)
            return NoRecord;
        // Type and declared length of the record
        const int32_t Type = GetBEInt32(Record0.data() + Position);
        const int32_t Length = GetBEInt32(Record0.data() + Position + 4);
        Position += RecordHeadSize;
        if (Type == CoverOffsetType) {
            // The cover walk reads its 4 data bytes and goes on right after them.
            if (Size - Position < 4)
                return NoRecord;
            Position += 4;
            continue;
        }
        if (Length < EXTHRecordHeadSize)
            return NoRecord;
        const auto DataLength = static_cast<size_t>(Length) - RecordHeadSize;
        if (Type == ThumbnailOffsetType && DataLength >= 4 && Size - Position >= 4)
            Result = GetBEInt32(Record0.data() + Position);
        if (Size - Position < DataLength)
            PastEnd = true;
        else
            Position += DataLength;
    }
    return Result;
}

bool OfferMobiFallbackCovers(TPalmPDB& Database, bool AllowFirstPicture, const TCoverCandidateTaker& Take)
{
    TBytes Record0;
    Database.GetRecordB(0, Record0);
    // Identifier "MOBI", then the first image index: the checks of the cover lookup
    if (static_cast<int64_t>(Record0.size()) < EXTHSearchStart ||
        std::memcmp(Record0.data() + IdentifierField, "MOBI", 4) != 0)
        return false;
    const int32_t FirstImage = GetBEInt32(Record0.data() + FirstImageField);
    if (FirstImage <= 0)
        return false;
    int32_t Thumbnail = NoRecord;
    TPointerReadOnlyStream Stream(Record0.data(), static_cast<intptr_t>(Record0.size()));
    const int64_t At = FindBytesInStream(Stream, EXTHSearchLimitMiB, "EXTH", EXTHSearchStart);
    if (At > 0) {
        Stream.SetPosition(At);
        if (ReadEXTHCoverOffset(Stream) != NoRecord)
            return false;
        Thumbnail = ReadEXTHThumbnailOffset(Record0, static_cast<size_t>(At));
    }
    if (Thumbnail != NoRecord && OfferRecord(Database, int64_t{FirstImage} + Thumbnail, Take))
        return true;
    return AllowFirstPicture && Thumbnail != 0 && OfferRecord(Database, FirstImage, Take);
}
