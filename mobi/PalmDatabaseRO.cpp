#include "mobi/PalmDatabaseRO.h"

#include <algorithm>

#include "core/ByteOrder.h"
#include "core/FileStream.h"

namespace {

constexpr int64_t HeaderSize = 78;
constexpr int64_t RecordEntrySize = 8;

// Header field offsets.
constexpr size_t NameField = 0, NameWidth = 32;
constexpr size_t AttributesField = 32;
constexpr size_t VersionField = 34;
constexpr size_t CreatedField = 36, ModifiedField = 40, BackedUpField = 44;
constexpr size_t ModificationField = 48;
constexpr size_t AppInfoField = 52, SortInfoField = 56;
constexpr size_t TypeField = 60, CreatorField = 64, FourCCWidth = 4;
constexpr size_t IDSeedField = 68, NextRecordListField = 72, NumRecordsField = 76;

// Attribute bits of the header.
constexpr uint16_t AttrReadOnly = 0x0002, AttrDirty = 0x0004, AttrBackup = 0x0008, AttrOverwrite = 0x0010,
                   AttrForceReset = 0x0020, AttrNoBeam = 0x0040;

// Seconds from 1904-01-01 (the Palm epoch) to 1970-01-01, and from
// 1899-12-30 (day 0 of a TDateTime) to 1904-01-01.
constexpr uint32_t PalmEpochToUnix = 2082844800u;
constexpr uint32_t DateTimeEpochToPalm = 126316800u;
constexpr uint32_t SecondsPerDay = 86400u;

const char* const SHeadersCorrupt = "Invalid Palm database: record headers corrupt";

// A fixed-width text field: the bytes before the first NUL.
std::string TextField(const uint8_t* Field, size_t Width)
{
    const auto* Chars = reinterpret_cast<const char*>(Field);
    size_t Length = 0;
    while (Length < Width && Chars[Length] != '\0')
        ++Length;
    return std::string(Chars, Length);
}

TPDBHeader DecodeHeader(const uint8_t* Bytes)
{
    TPDBHeader Header;
    // Database name, NUL-padded
    Header.Name = TextField(Bytes + NameField, NameWidth);
    // Attribute bits
    const uint16_t Attributes = GetBE16(Bytes + AttributesField);
    Header.ReadOnly = Attributes & AttrReadOnly;
    Header.Dirty = Attributes & AttrDirty;
    Header.Backup = Attributes & AttrBackup;
    Header.Overwrite = Attributes & AttrOverwrite;
    Header.ForceReset = Attributes & AttrForceReset;
    Header.NoBeam = Attributes & AttrNoBeam;
    // Version, unsigned 16-bit
    Header.Version = GetBE16(Bytes + VersionField);
    // Creation, modification and last backup dates, unsigned seconds
    Header.Created = TPalmPDB::PalmToTDateTime(GetBE32(Bytes + CreatedField));
    Header.Modified = TPalmPDB::PalmToTDateTime(GetBE32(Bytes + ModifiedField));
    Header.BackedUp = TPalmPDB::PalmToTDateTime(GetBE32(Bytes + BackedUpField));
    // Modification number
    Header.Modification = GetBEInt32(Bytes + ModificationField);
    // Application and sort info area offsets
    Header.AppInfoArea = GetBEInt32(Bytes + AppInfoField);
    Header.SortInfoArea = GetBEInt32(Bytes + SortInfoField);
    // Database type and creator, four characters each
    Header.DBType = TextField(Bytes + TypeField, FourCCWidth);
    Header.CreatorID = TextField(Bytes + CreatorField, FourCCWidth);
    // Unique ID seed
    Header.IDSeed = GetBEInt32(Bytes + IDSeedField);
    // Next record list ID: kept, never followed
    Header.NextRecordList = GetBEInt32(Bytes + NextRecordListField);
    // Number of records, unsigned 16-bit
    Header.NumRecords = GetBE16(Bytes + NumRecordsField);
    return Header;
}

// The size field is signed 32-bit: a file of 2 GiB or more wraps here, as
// the format's offsets cannot address it anyway.
int32_t Int32Size(int64_t Size) { return static_cast<int32_t>(Size); }

}

TPDBRecordHeader::TPDBRecordHeader(int32_t Offset, int32_t Size) : Offset(Offset), Size(Size)
{
    if (Offset < 0 || Size < 0)
        throw EInvalidPalmDatabase(SHeadersCorrupt);
}

std::unique_ptr<TPalmPDB> TPalmPDB::CreateReadOnly(const std::u16string& FileName)
{
    return std::make_unique<TPalmPDB>(std::make_unique<TFileStream>(FileName, fsShareDenyWrite), FileName);
}

TPalmPDB::TPalmPDB(std::unique_ptr<TStream> Stream, const std::u16string& FileName)
    : FOwnedStream(std::move(Stream)), FStream(FOwnedStream.get()), FPDBFile(FileName)
{
    FStream->SetPosition(0);
    ReadHeader();
    ReadRecordList();
}

TPalmPDB::TPalmPDB(TStream& Stream) : FStream(&Stream)
{
    FStream->SetPosition(0);
    ReadHeader();
    ReadRecordList();
}

void TPalmPDB::ReadHeader()
{
    uint8_t Bytes[HeaderSize];
    try {
        FDBFileSize = Int32Size(FStream->Size());
        FStream->ReadBuffer(Bytes, HeaderSize);
    } catch (const Exception&) {
        throw EInvalidPalmDatabase("Error reading file");
    }
    try {
        FDBHeader = DecodeHeader(Bytes);
    } catch (const Exception&) {
        throw EInvalidPalmDatabase("Not a Palm database, or header corrupt");
    }
}

void TPalmPDB::ReadRecordList()
{
    // At most 65535 entries of 8 bytes: read in one go, then taken apart
    // entry by entry, so that a corrupt entry is reported before a list cut
    // short by the end of the file, as reading entry by entry would.
    const int64_t Count = FDBHeader.NumRecords;
    std::vector<uint8_t> List(static_cast<size_t>(Count * RecordEntrySize));
    FStream->SetPosition(HeaderSize);
    const int64_t Got = ReadUpTo(*FStream, List.data(), Count * RecordEntrySize);
    FPDBRecordList.reserve(static_cast<size_t>(Count));
    for (int64_t Index = 0; Index < Count; ++Index) {
        if (Got / RecordEntrySize <= Index)
            throw EReadError(SReadError);
        const uint8_t* Entry = List.data() + Index * RecordEntrySize;
        // Offset of the record's bytes from the start of the file, signed;
        // then one byte of attributes and three of unique ID, not decoded.
        FPDBRecordList.emplace_back(GetBEInt32(Entry), 0);
        if (FPDBRecordList.size() >= 2) {
            TPDBRecordHeader& Previous = FPDBRecordList[FPDBRecordList.size() - 2];
            // Both offsets are non-negative, so the difference fits.
            Previous.Size = FPDBRecordList.back().Offset - Previous.Offset;
        }
    }
    if (FPDBRecordList.empty())
        throw EListError("List index out of bounds (0)");
    TPDBRecordHeader& Last = FPDBRecordList.back();
    Last.Size = Int32Size(int64_t{Int32Size(FStream->Size())} - Last.Offset);
}

const TPDBRecordHeader& TPalmPDB::RecordHeader(int32_t Index) const
{
    if (Index < 0 || Index >= RecordListCount())
        throw EInvalidPalmDatabase("Invalid record index: " + std::to_string(Index));
    return FPDBRecordList[static_cast<size_t>(Index)];
}

std::pair<const TPDBRecordHeader*, int32_t> TPalmPDB::DrawRecord(int32_t Index, TReadBudget& Budget,
                                                                  uint32_t MaxBytes)
{
    const TPDBRecordHeader& Entry = RecordHeader(Index);
    if (Entry.Size < 0)
        throw ERangeError(SRangeError);
    if (Entry.Size == 0)
        return {&Entry, 0};
    // A damaged entry may claim far more than the file holds: refuse it
    // before allocating, with the error the read would have given.
    const int64_t Remaining = FStream->Size() - Entry.Offset;
    if (Remaining < Entry.Size)
        throw EReadError(SReadError);
    const int32_t Wanted = static_cast<int32_t>(std::min<uint32_t>(static_cast<uint32_t>(Entry.Size), MaxBytes));
    Budget.Draw(static_cast<uint64_t>(Wanted));
    return {&Entry, Wanted};
}

void TPalmPDB::GetRecordB(int32_t Index, TBytes& Data, TReadBudget& Budget, uint32_t MaxBytes)
{
    const auto [Entry, Wanted] = DrawRecord(Index, Budget, MaxBytes);
    Data.resize(static_cast<size_t>(Wanted));
    if (Wanted == 0)
        return;
    FStream->SetPosition(Entry->Offset);
    FStream->ReadBuffer(Data.data(), Wanted);
}

TStreamWindow TPalmPDB::RecordStream(int32_t Index, TReadBudget& Budget)
{
    const auto [Entry, Wanted] = DrawRecord(Index, Budget, UINT32_MAX);
    return TStreamWindow(*FStream, Entry->Offset, Wanted);
}

int32_t TPalmPDB::SwapLongInt(int32_t L)
{
    const auto U = static_cast<uint32_t>(L);
    return static_cast<int32_t>((U >> 24) | (U >> 8 & 0xFF00u) | (U << 8 & 0xFF0000u) | (U << 24));
}

TDateTime TPalmPDB::PalmToTDateTime(uint32_t Seconds)
{
    // Unsigned 32-bit sum: from 2085805696 on it wraps back to 1899-12-30.
    const uint32_t Sum = Seconds + PalmEpochToUnix + DateTimeEpochToPalm;
    return static_cast<TDateTime>(Sum / SecondsPerDay) + static_cast<TDateTime>(Sum % SecondsPerDay) / SecondsPerDay;
}
