#include "mobi/MobiUnit.h"

#include <cstring>

#include "core/ByteOrder.h"
#include "core/Limits.h"
#include "mobi/MobiLayout.h"

// Record 0 of a Mobipocket book starts with a 16-byte leading header, then
// the MOBI header: "MOBI" at 16 and, at 108, the number of the first record
// holding a picture. The EXTH block is found by searching the rest of
// record 0, not through the MOBI header's length or flags: books whose
// header fields disagree with where the block really is still give covers.
//
// EXTH block: "EXTH", block length (unused), record count; then records of
// type, declared length (these 8 bytes included) and data. Type 201 holds
// the cover's record number relative to the first picture, -1 for none;
// type 202 the thumbnail's.

namespace {

constexpr int64_t MiB = 1048576;

// A 4-byte identifier compared as text up to its first NUL.
bool IdentifierIs(const uint8_t* Bytes, const char* Expected)
{
    size_t Length = 0;
    while (Length < 4 && Bytes[Length] != 0)
        ++Length;
    return Length == std::strlen(Expected) && std::memcmp(Bytes, Expected, Length) == 0;
}

}

TEXTHOffsets ReadEXTHOffsets(const TBytes& Record0, size_t At)
{
    const size_t Size = Record0.size();
    const uint8_t* Bytes = Record0.data();
    if (At > Size || Size - At < EXTHHeadSize || !IdentifierIs(Bytes + At, "EXTH"))
        return {};
    // Record count
    const int32_t Count = GetBEInt32(Bytes + At + 8);
    TEXTHOffsets Offsets;
    size_t Position = At + EXTHHeadSize;
    // A skip may run past the end unchecked: only a read after it fails the
    // walk, and a walk that fails names nothing, even what it met before.
    bool PastEnd = false;
    for (int32_t Index = 0; Index < Count; ++Index) {
        if (PastEnd || Size - Position < EXTHRecordHeadSize)
            return {};
        // Type and declared length of the record
        const int32_t Type = GetBEInt32(Bytes + Position);
        const int32_t Length = GetBEInt32(Bytes + Position + 4);
        Position += EXTHRecordHeadSize;
        if (Type == CoverOffsetType) {
            // The walk goes on right after the offset whatever the declared
            // length; a later record 201 overrides an earlier one.
            if (Size - Position < 4)
                return {};
            Offsets.Cover = GetBEInt32(Bytes + Position);
            Position += 4;
            continue;
        }
        if (Length < EXTHRecordHeadSize)
            return {};
        const auto DataLength = static_cast<size_t>(Length) - EXTHRecordHeadSize;
        if (Type == ThumbnailOffsetType && DataLength >= 4 && Size - Position >= 4)
            Offsets.Thumbnail = GetBEInt32(Bytes + Position);
        if (Size - Position < DataLength)
            PastEnd = true;
        else
            Position += DataLength;
    }
    return Offsets;
}

int64_t FindBytesInStream(TCustomMemoryStream& Stream, int32_t LimitMiB, std::string_view Pattern,
                          int64_t StartPos)
{
    if (Pattern.empty())
        return -1;
    const auto PatternLength = static_cast<int64_t>(Pattern.size());
    const int64_t Size = Stream.Size();
    if (Size < PatternLength)
        return -1;
    const int64_t LastCandidate = Size - PatternLength;
    const int64_t Limit = int64_t{LimitMiB} * MiB;
    const uint8_t* Block = Stream.Memory();
    for (int64_t Candidate = StartPos > 0 ? StartPos : 0; Candidate <= LastCandidate; ++Candidate) {
        const uint8_t* At = Block + Candidate;
        if (*At == static_cast<uint8_t>(Pattern[0]) && std::memcmp(At, Pattern.data(), Pattern.size()) == 0)
            return Candidate;
        // The candidate at the limit is still compared.
        if (LimitMiB > 0 && Candidate >= Limit)
            break;
    }
    return -1;
}

TMobiCoverFields ReadMobiCoverFields(TPalmPDB& Database, TReadBudget& Budget)
{
    TBytes Record0;
    Database.GetRecordB(0, Record0, Budget, Limits::MobiHeaderBytes);
    if (Record0.empty())
        return {};
    // Identifier: "MOBI"; a record 0 shorter than 20 bytes fails the read.
    if (Record0.size() < IdentifierField + 4)
        throw EReadError(SReadError);
    if (!IdentifierIs(Record0.data() + IdentifierField, "MOBI") || static_cast<int64_t>(Record0.size()) < EXTHSearchStart)
        return {};
    TMobiCoverFields Result;
    // First image index: number of the first record holding a picture
    Result.FirstImage = GetBEInt32(Record0.data() + FirstImageField);
    if (Result.FirstImage <= 0)
        return {};
    // A record is at most 2 GiB - 1 bytes, which fits a pointer-width size.
    TPointerReadOnlyStream Stream(Record0.data(), static_cast<intptr_t>(Record0.size()));
    const int64_t At = FindBytesInStream(Stream, EXTHSearchLimitMiB, "EXTH", EXTHSearchStart);
    if (At > 0)
        Result.EXTH = ReadEXTHOffsets(Record0, static_cast<size_t>(At));
    return Result;
}

int32_t MobiCoverRecord(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture)
{
    if (Fields.FirstImage <= 0)
        return -1;
    int32_t CoverOffset = Fields.EXTH.Cover;
    if (CoverOffset == NoCover) {
        if (!AllowFirstPicture)
            return -1;
        CoverOffset = 0;
    }
    const int64_t CoverRecord = int64_t{Fields.FirstImage} + CoverOffset;
    if (CoverRecord < 0 || CoverRecord >= Database.RecordListCount() ||
        Database.RecordHeader(static_cast<int32_t>(CoverRecord)).Size > int64_t{Limits::CoverPictureBytes})
        return -1;
    return static_cast<int32_t>(CoverRecord);
}

void ExtractMobiCover(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture, TReadBudget& Budget,
                      TBytes& Cover)
{
    Cover.clear();
    const int32_t CoverRecord = MobiCoverRecord(Database, Fields, AllowFirstPicture);
    if (CoverRecord < 0)
        return;
    TBytes CoverBytes;
    Database.GetRecordB(CoverRecord, CoverBytes, Budget);
    Cover.swap(CoverBytes);
}

void ExtractMobiCover(TPalmPDB& Database, bool AllowFirstPicture, TReadBudget& Budget, TBytes& Cover)
{
    Cover.clear();
    ExtractMobiCover(Database, ReadMobiCoverFields(Database, Budget), AllowFirstPicture, Budget, Cover);
}

void ExtractMobiCover(const std::u16string& FileName, bool AllowFirstPicture, TBytes& Cover)
{
    Cover.clear();
    const std::unique_ptr<TPalmPDB> Database = TPalmPDB::CreateReadOnly(FileName);
    TReadBudget Budget(Limits::RequestReadBytes);
    ExtractMobiCover(*Database, AllowFirstPicture, Budget, Cover);
}
