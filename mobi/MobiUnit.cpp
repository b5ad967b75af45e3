#include "mobi/MobiUnit.h"

#include <cstring>

#include "core/ByteOrder.h"
#include "mobi/MobiLayout.h"

// Record 0 of a Mobipocket book starts with a 16-byte leading header, then
// the MOBI header: "MOBI" at 16 and, at 108, the number of the first record
// holding a picture. The EXTH block is found by searching the rest of
// record 0, not through the MOBI header's length or flags: books whose
// header fields disagree with where the block really is still give covers.
//
// EXTH block: "EXTH", block length (unused), record count; then records of
// type, declared length (these 8 bytes included) and data. Type 201 holds
// the cover's record number relative to the first picture, -1 for none.

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

int32_t ReadInt32(TStream& Stream)
{
    uint8_t Bytes[4];
    Stream.ReadBuffer(Bytes, sizeof Bytes);
    return GetBEInt32(Bytes);
}

// Every step reads at least 8 bytes, so a huge record count ends at the end
// of record 0 at the latest.
int32_t WalkEXTHRecords(TStream& Stream, int32_t Count)
{
    int32_t Result = NoCover;
    for (int32_t Index = 0; Index < Count; ++Index) {
        // Type and declared length of the record
        const int32_t Type = ReadInt32(Stream);
        const int32_t Length = ReadInt32(Stream);
        if (Type == CoverOffsetType) {
            // The walk goes on right after the offset whatever the declared
            // length; a later record 201 overrides an earlier one.
            Result = ReadInt32(Stream);
        } else {
            if (Length < EXTHRecordHeadSize)
                return NoCover;
            Stream.Seek(Length - EXTHRecordHeadSize, soCurrent);
        }
    }
    return Result;
}

}

int32_t ReadEXTHCoverOffset(TStream& Stream)
{
    uint8_t Head[EXTHHeadSize];
    // Identifier, block length, record count
    if (Stream.Read(Head, EXTHHeadSize) < EXTHHeadSize)
        return NoCover;
    if (!IdentifierIs(Head, "EXTH"))
        return NoCover;
    const int32_t Count = GetBEInt32(Head + 8);
    if (Count <= 0)
        return NoCover;
    try {
        return WalkEXTHRecords(Stream, Count);
    } catch (const Exception&) {
        // A walk running off the end of record 0 names no cover, even if it
        // met a record 201 before.
        return NoCover;
    }
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

void ExtractMobiCover(TPalmPDB& Database, bool AllowFirstPicture, TBytes& Cover)
{
    Cover.clear();
    TBytes Record0;
    Database.GetRecordB(0, Record0);
    if (Record0.empty())
        return;
    // A record is at most 2 GiB - 1 bytes, which fits a pointer-width size.
    TPointerReadOnlyStream Stream(Record0.data(), static_cast<intptr_t>(Record0.size()));

    // Identifier: "MOBI"; a record 0 shorter than 20 bytes fails the read.
    uint8_t Identifier[4];
    Stream.SetPosition(IdentifierField);
    Stream.ReadBuffer(Identifier, sizeof Identifier);
    if (!IdentifierIs(Identifier, "MOBI"))
        return;
    if (static_cast<int64_t>(Record0.size()) < EXTHSearchStart)
        return;
    // First image index: number of the first record holding a picture
    Stream.SetPosition(FirstImageField);
    const int32_t FirstImage = ReadInt32(Stream);
    if (FirstImage <= 0)
        return;

    int32_t CoverOffset = NoCover;
    const int64_t EXTHPosition = FindBytesInStream(Stream, EXTHSearchLimitMiB, "EXTH", EXTHSearchStart);
    if (EXTHPosition > 0) {
        Stream.SetPosition(EXTHPosition);
        CoverOffset = ReadEXTHCoverOffset(Stream);
    }
    if (CoverOffset == NoCover) {
        if (!AllowFirstPicture)
            return;
        CoverOffset = 0;
    }
    const int64_t CoverRecord = int64_t{FirstImage} + CoverOffset;
    if (CoverRecord < 0 || CoverRecord >= Database.RecordListCount())
        return;
    TBytes CoverBytes;
    Database.GetRecordB(static_cast<int32_t>(CoverRecord), CoverBytes);
    Cover.swap(CoverBytes);
}

void ExtractMobiCover(const std::u16string& FileName, bool AllowFirstPicture, TBytes& Cover)
{
    Cover.clear();
    const std::unique_ptr<TPalmPDB> Database = TPalmPDB::CreateReadOnly(FileName);
    ExtractMobiCover(*Database, AllowFirstPicture, Cover);
}
