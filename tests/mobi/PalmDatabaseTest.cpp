#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "core/MemoryStream.h"
#include "mobi/PalmDatabaseRO.h"
#include "tests/support/FailureOf.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/TempDir.h"

namespace {

// A budget that never runs out: these cases are about the records.
TReadBudget& AnyBudget()
{
    static TReadBudget Budget(UINT64_MAX);
    return Budget;
}

class PalmDatabaseFile : public ::testing::Test {
protected:
    std::unique_ptr<TPalmPDB> Open(const TBytes& File) { return TPalmPDB::CreateReadOnly(Dir.Write(u"book.pdb", File)); }
    TTempDir Dir;
};

TEST_F(PalmDatabaseFile, ShortOrEmptyFilesFailToOpen)
{
    TBytes Header77 = PdbHeader({}, 1);
    Header77.pop_back();
    EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([&] { Open(Header77); }), "Error reading file");
    EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([&] { Open({}); }), "Error reading file");
    EXPECT_EQ(FailureOf<EListError>([&] { Open(PdbHeader({}, 0)); }), "List index out of bounds (0)");
}

TEST_F(PalmDatabaseFile, MissingFileNamesThePath)
{
    const std::u16string Missing = Dir.Path(u"missing.mobi");
    const std::string Message = FailureOf<EFOpenError>([&] { TPalmPDB::CreateReadOnly(Missing); });
    const std::string Start = "Cannot open file \"" + Utf8(Missing) + "\". ";
    EXPECT_EQ(Message.substr(0, Start.size()), Start);
    EXPECT_GT(Message.size(), Start.size()) << "the system's error text follows";
}

TEST_F(PalmDatabaseFile, FileEndingInsideTheRecordListIsAReadError)
{
    TBytes File = PdbWithOffsets({100, 200, 300}, 78 + 16);
    EXPECT_EQ(FailureOf<EReadError>([&] { Open(File); }), "Stream read error");
    File.pop_back();  // the second entry cut short as well
    EXPECT_EQ(FailureOf<EReadError>([&] { Open(File); }), "Stream read error");
}

TEST_F(PalmDatabaseFile, NegativeOffsetsAreCorruptRecordHeaders)
{
    for (uint32_t Offset : {0x80000000u, 0xFFFFFFFFu, 0x9ABCDEF0u}) {
        const TBytes File = PdbWithOffsets({100, Offset, 300}, 1000);
        EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([&] { Open(File); }),
                  "Invalid Palm database: record headers corrupt")
            << Offset;
    }
    // A corrupt entry is reported even when the list is also cut short after it.
    const TBytes Cut = PdbWithOffsets({0x80000000u, 200, 300}, 78 + 12);
    EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([&] { Open(Cut); }), "Invalid Palm database: record headers corrupt");
}

TEST_F(PalmDatabaseFile, SizesComeFromTheNextOffset)
{
    const TBytes File = PdbWithOffsets({100, 300, 200}, 1000);
    auto Database = Open(File);
    ASSERT_EQ(Database->RecordListCount(), 3);
    EXPECT_EQ(Database->RecordHeader(0).Size, 200);
    EXPECT_EQ(Database->RecordHeader(1).Size, -100);
    EXPECT_EQ(Database->RecordHeader(2).Size, 800);
    EXPECT_EQ(Database->DBFileSize(), 1000);

    TBytes Data;
    Database->GetRecordB(0, Data, AnyBudget());
    EXPECT_EQ(Data, TBytes(File.begin() + 100, File.begin() + 300));
    EXPECT_EQ(FailureOf<ERangeError>([&] { Database->GetRecordB(1, Data, AnyBudget()); }), "Range check error");
    Database->GetRecordB(2, Data, AnyBudget());
    EXPECT_EQ(Data, TBytes(File.begin() + 200, File.end())) << "still usable after a failed read";
}

TEST_F(PalmDatabaseFile, LastRecordAtAndBeyondTheEnd)
{
    auto AtEnd = Open(PdbWithOffsets({100, 1000}, 1000));
    TBytes Data{1, 2, 3};
    AtEnd->GetRecordB(1, Data, AnyBudget());
    EXPECT_TRUE(Data.empty());
    // The reader denies writing: Windows refuses to rewrite the file under it.
    AtEnd.reset();

    auto Beyond = Open(PdbWithOffsets({100, 1001}, 1000));
    EXPECT_EQ(Beyond->RecordHeader(1).Size, -1);
    EXPECT_EQ(FailureOf<ERangeError>([&] { Beyond->GetRecordB(1, Data, AnyBudget()); }), "Range check error");
}

TEST_F(PalmDatabaseFile, RecordsRunningPastTheEndAreRefused)
{
    // Offsets ascend but the second one lies beyond the file: the first
    // record's derived size is larger than what the file holds.
    auto Database = Open(PdbWithOffsets({100, 0x7FFFFFF0}, 1000));
    TBytes Data;
    EXPECT_EQ(FailureOf<EReadError>([&] { Database->GetRecordB(0, Data, AnyBudget()); }), "Stream read error");
    EXPECT_LT(Data.capacity(), 1000u) << "refused before allocating";
    EXPECT_EQ(FailureOf<ERangeError>([&] { Database->GetRecordB(1, Data, AnyBudget()); }), "Range check error");
}

TEST_F(PalmDatabaseFile, IndexOutsideTheList)
{
    auto Database = Open(PdbFile({MarkedRecord(0), MarkedRecord(1)}));
    TBytes Data;
    for (int32_t Index : {-1, 2, 65535, INT32_MIN})
        EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([&] { Database->GetRecordB(Index, Data, AnyBudget()); }),
                  "Invalid record index: " + std::to_string(Index));
    Database->GetRecordB(1, Data, AnyBudget());
    EXPECT_EQ(Data, MarkedRecord(1));
}

TEST_F(PalmDatabaseFile, AllRecordsOfALargeList)
{
    std::vector<TBytes> Records;
    for (size_t I = 0; I < 65535; ++I)
        Records.push_back(MarkedRecord(I, I % 3));
    auto Database = Open(PdbFile(Records));
    ASSERT_EQ(Database->RecordListCount(), 65535);
    TBytes Data;
    for (int32_t Index : {0, 1, 2, 30000, 65533, 65534}) {
        Database->GetRecordB(Index, Data, AnyBudget());
        EXPECT_EQ(Data, Records[static_cast<size_t>(Index)]) << Index;
    }
}

TEST(PalmDatabaseHeader, FieldsDecode)
{
    TPdbFields Fields;
    Fields.Name = std::string(32, 'N');
    Fields.Attributes = 0x0042;
    Fields.Version = 0xFFFE;
    Fields.Modification = 0xFFFFFFFF;
    Fields.AppInfoArea = 0x80000000;
    Fields.SortInfoArea = 17;
    Fields.DBType = std::string("BO\0K", 4);
    Fields.CreatorID = "MOBI";
    Fields.IDSeed = 0x01020304;
    Fields.NextRecordList = 9;
    TBytes File = PdbFile({MarkedRecord(0)}, Fields);
    TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(File.data(), static_cast<intptr_t>(File.size())), u"m");
    const TPDBHeader& Header = Database.GetDBHeader();
    EXPECT_EQ(Header.Name, std::string(32, 'N')) << "no NUL: all 32 bytes";
    EXPECT_TRUE(Header.ReadOnly);
    EXPECT_TRUE(Header.NoBeam);
    EXPECT_FALSE(Header.Dirty || Header.Backup || Header.Overwrite || Header.ForceReset);
    EXPECT_EQ(Header.Version, 0xFFFE);
    EXPECT_EQ(Header.Modification, -1);
    EXPECT_EQ(Header.AppInfoArea, INT32_MIN);
    EXPECT_EQ(Header.SortInfoArea, 17);
    EXPECT_EQ(Header.DBType, "BO");
    EXPECT_EQ(Header.CreatorID, "MOBI");
    EXPECT_EQ(Header.IDSeed, 0x01020304);
    EXPECT_EQ(Header.NextRecordList, 9);
    EXPECT_EQ(Header.NumRecords, 1);
    EXPECT_EQ(Database.PDBFile(), u"m");
}

TEST(PalmDatabaseHeader, EachAttributeBitSetsItsFlag)
{
    struct Case {
        uint16_t Bits;
        bool TPDBHeader::*Flag;
    };
    const Case Cases[] = {{0x0002, &TPDBHeader::ReadOnly},  {0x0004, &TPDBHeader::Dirty},
                          {0x0008, &TPDBHeader::Backup},    {0x0010, &TPDBHeader::Overwrite},
                          {0x0020, &TPDBHeader::ForceReset}, {0x0040, &TPDBHeader::NoBeam}};
    for (const Case& C : Cases) {
        TPdbFields Fields;
        Fields.Name = "short";
        // Every bit not decoded is set as well, and must not leak into a flag.
        Fields.Attributes = static_cast<uint16_t>(C.Bits | 0xFF81);
        TBytes File = PdbFile({MarkedRecord(0)}, Fields);
        TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(File.data(), static_cast<intptr_t>(File.size())),
                          u"");
        const TPDBHeader& Header = Database.GetDBHeader();
        EXPECT_EQ(Header.Name, "short");
        for (const Case& Other : Cases)
            EXPECT_EQ(Header.*(Other.Flag), Other.Bits == C.Bits) << std::hex << C.Bits << " vs " << Other.Bits;
    }
}

// A calendar date and time as a TDateTime: days since 1899-12-30.
double DateTime(int Year, unsigned Month, unsigned Day, int Hour = 0, int Minute = 0, int Second = 0)
{
    using namespace std::chrono;
    const auto Days = sys_days{year{Year} / Month / Day} - sys_days{year{1899} / 12 / 30};
    return Days.count() + (Hour * 3600 + Minute * 60 + Second) / 86400.0;
}

TEST(PalmDatabaseHeader, PalmToTDateTime)
{
    struct Case {
        uint32_t Seconds;
        double Expected;
    };
    const Case Cases[] = {
        {0, 25569.0},
        {43200, 25569.5},
        {1234567890, DateTime(2009, 2, 13, 23, 31, 30)},
        {2085805695, DateTime(2036, 2, 5, 6, 28, 15)},
        {2085805696, 0.0},  // the sum wraps to 1899-12-30 00:00
        {3000000000, DateTime(1928, 12, 18, 22, 51, 44)},
        {4294967295, DateTime(1969, 12, 31, 23, 59, 59)},
    };
    ASSERT_EQ(DateTime(1970, 1, 1), 25569.0);
    for (const Case& C : Cases)
        EXPECT_NEAR(TPalmPDB::PalmToTDateTime(C.Seconds), C.Expected, 1e-9) << C.Seconds;
}

TEST(PalmDatabaseHeader, DatesAreDecodedFromTheirFields)
{
    TPdbFields Fields;
    Fields.Created = 0;
    Fields.Modified = 43200;
    Fields.BackedUp = 2085805696;
    TBytes File = PdbFile({MarkedRecord(0)}, Fields);
    TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(File.data(), static_cast<intptr_t>(File.size())), u"");
    EXPECT_EQ(Database.GetDBHeader().Created, 25569.0);
    EXPECT_EQ(Database.GetDBHeader().Modified, 25569.5);
    EXPECT_EQ(Database.GetDBHeader().BackedUp, 0.0);
}

TEST(PalmDatabaseHeader, SwapLongInt)
{
    EXPECT_EQ(TPalmPDB::SwapLongInt(0x01020304), 0x04030201);
    EXPECT_EQ(TPalmPDB::SwapLongInt(static_cast<int32_t>(0x80000000u)), 0x80);
    EXPECT_EQ(TPalmPDB::SwapLongInt(0xFF), static_cast<int32_t>(0xFF000000u));
    EXPECT_EQ(TPalmPDB::SwapLongInt(TPalmPDB::SwapLongInt(-123456789)), -123456789);
}

// Counts the bytes read through it, to show that records are not cached.
class TCountingStream : public TPointerReadOnlyStream {
public:
    TCountingStream(const TBytes& Bytes, int64_t& Counter)
        : TPointerReadOnlyStream(Bytes.data(), static_cast<intptr_t>(Bytes.size())), FCounter(Counter)
    {
    }
    int64_t Read(void* Buffer, int64_t Count) override
    {
        const int64_t Got = TPointerReadOnlyStream::Read(Buffer, Count);
        FCounter += Got;
        return Got;
    }

private:
    int64_t& FCounter;
};

TEST(PalmDatabaseRecords, EveryReadGoesToTheStream)
{
    const TBytes File = PdbFile({MarkedRecord(0, 10), MarkedRecord(1, 500)});
    int64_t BytesRead = 0;
    TPalmPDB Database(std::make_unique<TCountingStream>(File, BytesRead), u"");
    const int64_t AfterOpen = BytesRead;
    TBytes First, Second;
    Database.GetRecordB(1, First, AnyBudget());
    Database.GetRecordB(1, Second, AnyBudget());
    EXPECT_EQ(First, MarkedRecord(1, 500));
    EXPECT_EQ(First, Second);
    EXPECT_EQ(BytesRead - AfterOpen, 1000);
}

TEST(PalmDatabaseRecords, RecordHeaderRefusesNegativeValues)
{
    EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([] { TPDBRecordHeader(-1, 0); }),
              "Invalid Palm database: record headers corrupt");
    EXPECT_EQ(FailureOf<EInvalidPalmDatabase>([] { TPDBRecordHeader(0, -1); }),
              "Invalid Palm database: record headers corrupt");
    const TPDBRecordHeader Entry(5, 7);
    EXPECT_EQ(Entry.Offset, 5);
    EXPECT_EQ(Entry.Size, 7);
    EXPECT_TRUE(Entry.RecFlags.none());
    EXPECT_TRUE(Entry.RecordData.empty());
}

}
