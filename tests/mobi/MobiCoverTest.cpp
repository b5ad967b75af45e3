#include <gtest/gtest.h>

#include <optional>

#include "core/MemoryStream.h"
#include "mobi/MobiUnit.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/TempDir.h"

namespace {

constexpr size_t MiB = 1048576;
// Books of the table: record 0, then records 1 to 19, each marked with its
// number, so that the cover found shows which record was taken.
constexpr size_t BookRecords = 20;
constexpr int NoPicture = -1;

TBytes Be32(uint32_t Value)
{
    TBytes Bytes;
    AppendBigEndian32(Bytes, Value);
    return Bytes;
}

TBytes Join(std::initializer_list<TBytes> Parts)
{
    TBytes All;
    for (const TBytes& Part : Parts)
        All.insert(All.end(), Part.begin(), Part.end());
    return All;
}

TBytes Record0(int32_t FirstImage, const TBytes& Exth = {}, std::optional<size_t> ExthAt = std::nullopt)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = FirstImage;
    Fields.Exth = Exth;
    Fields.ExthAt = ExthAt;
    return MobiRecord0(Fields);
}

TBytes Book(const TBytes& FirstRecord) { return MobiBook(FirstRecord, BookRecords - 1, {}); }

class MobiCover : public ::testing::Test {
protected:
    // The cover of the book as ExtractMobiCover gives it from a file.
    TBytes CoverOf(const TBytes& File, bool AllowFirstPicture, const std::u16string& Name = u"book.mobi")
    {
        TBytes Cover{0xEE};
        ExtractMobiCover(Dir.Write(Name, File), AllowFirstPicture, Cover);
        return Cover;
    }
    TTempDir Dir;
};

struct TCoverCase {
    const char* What;
    TBytes Record0;
    int Without;  // record taken without AllowFirstPicture, or NoPicture
    int With;     // and with it
};

TEST_F(MobiCover, RecordChosenByFirstImageAndEXTH)
{
    const TBytes Huge = Be32(0x7FFFFFFF);
    const TCoverCase Cases[] = {
        {"cover offset 2", Record0(10, ExthBlock({ExthText(100, "Author"), ExthCover(2)})), 12, 12},
        {"cover offset -1 names no cover", Record0(10, ExthBlock({ExthCover(-1)})), NoPicture, 10},
        {"negative cover offsets count back", Record0(10, ExthBlock({ExthCover(-3)})), 7, 7},
        {"cover offset 0", Record0(10, ExthBlock({ExthCover(0)})), 10, 10},
        {"the last record 201 wins", Record0(10, ExthBlock({ExthCover(3), ExthText(101, "x"), ExthCover(5)})), 15, 15},
        {"a later -1 cancels a cover", Record0(10, ExthBlock({ExthCover(3), ExthCover(-1)})), NoPicture, 10},
        {"no record 201", Record0(10, ExthBlock({ExthText(100, "Author"), ExthText(503, "Title")})), NoPicture, 10},
        {"no EXTH block", Record0(10), NoPicture, 10},
        {"record count 0", Record0(10, ExthBlock({ExthCover(2)}, 0)), NoPicture, 10},
        {"record count -1", Record0(10, ExthBlock({ExthCover(2)}, -1)), NoPicture, 10},
        {"damaged length discards an earlier offset",
         Record0(10, ExthBlock({ExthCover(3), {100, {}, 7}, ExthCover(4)})), NoPicture, 10},
        {"a walk running off record 0 discards an earlier offset",
         Record0(10, ExthBlock({ExthCover(3), {100, {}, 4000}}, 3)), NoPicture, 10},
        {"a skip far beyond record 0", Record0(10, ExthBlock({ExthCover(3), {100, Huge, 0x7FFFFFFF}}, 3)),
         NoPicture, 10},
        {"a count of 2000000000 ends at a zero length",
         Record0(10, ExthBlock({ExthCover(3), {100, {}, 0}}, 2000000000)), NoPicture, 10},
        // Record 201 declares 16 bytes; the next record is read right after
        // its first four data bytes: type 201 and length 12 inside the
        // declared data, then the offset 6.
        {"record 201 declaring 16 bytes",
         Record0(10, ExthBlock({{201, Join({Be32(3), Be32(201), Be32(12), Be32(6)}), 16}}, 2)), 16, 16},
        {"first image index 0", Record0(0, ExthBlock({ExthCover(2)})), NoPicture, NoPicture},
        {"first image index 0xFFFFFFFF", Record0(-1, ExthBlock({ExthCover(2)})), NoPicture, NoPicture},
        {"cover number equal to the record count", Record0(10, ExthBlock({ExthCover(10)})), NoPicture, NoPicture},
        {"cover number of the last record", Record0(10, ExthBlock({ExthCover(9)})), 19, 19},
        {"cover number below 0", Record0(10, ExthBlock({ExthCover(-11)})), NoPicture, NoPicture},
        {"sum beyond 32 bits", Record0(0x7FFFFFFF, ExthBlock({ExthCover(0x7FFFFFFF)})), NoPicture, NoPicture},
        {"first image beyond the list", Record0(20), NoPicture, NoPicture},
        {"EXTH only before offset 112", Record0(10, ExthBlock({ExthCover(2)}), 40), NoPicture, 10},
        {"EXTH right at 112", Record0(10, ExthBlock({ExthCover(2)}), 112), 12, 12},
        {"EXTH head cut short by the end of record 0",
         Join({Record0(10), TBytes{'E', 'X', 'T', 'H', 0, 0, 0, 24, 0, 0}}), NoPicture, 10},
    };
    for (const TCoverCase& Case : Cases) {
        const TBytes File = Book(Case.Record0);
        for (const bool Allow : {false, true}) {
            const int Expected = Allow ? Case.With : Case.Without;
            const TBytes Cover = CoverOf(File, Allow);
            if (Expected == NoPicture)
                EXPECT_TRUE(Cover.empty()) << Case.What << ", allow " << Allow;
            else
                EXPECT_EQ(Cover, MarkedRecord(static_cast<size_t>(Expected))) << Case.What << ", allow " << Allow;
        }
    }
}

TEST_F(MobiCover, Record0WithoutAMobiHeader)
{
    struct Case {
        const char* What;
        TBytes Record0;
    };
    TMobiRecord0 Lower;
    Lower.Identifier = "mobi";
    TMobiRecord0 InnerNul;
    InnerNul.Identifier = std::string("MO\0I", 4);
    const TBytes Valid = Record0(1, ExthBlock({ExthCover(0)}));
    const Case Cases[] = {
        {"lower case", MobiRecord0(Lower)},
        {"NUL inside", MobiRecord0(InnerNul)},
        {"20 bytes", TBytes(Valid.begin(), Valid.begin() + 20)},
        {"111 bytes", TBytes(Valid.begin(), Valid.begin() + 111)},
        {"empty", TBytes()},
    };
    for (const Case& C : Cases)
        for (const bool Allow : {false, true})
            EXPECT_TRUE(CoverOf(Book(C.Record0), Allow).empty()) << C.What << ", allow " << Allow;

    const TBytes Short(Valid.begin(), Valid.begin() + 19);
    TBytes Cover{1};
    EXPECT_THROW(ExtractMobiCover(Dir.Write(u"short.mobi", Book(Short)), true, Cover), EReadError);
    EXPECT_TRUE(Cover.empty()) << "emptied first";
}

TEST_F(MobiCover, ReaderFailuresAreRaised)
{
    TBytes Cover;
    EXPECT_THROW(ExtractMobiCover(Dir.Path(u"missing.mobi"), true, Cover), EFOpenError);
    EXPECT_THROW(ExtractMobiCover(Dir.Write(u"tiny.mobi", TBytes(77)), true, Cover), EInvalidPalmDatabase);
    // The cover record's entry lies beyond the end of the file.
    TBytes File = Book(Record0(10, ExthBlock({ExthCover(9)})));
    PutBigEndian32(File, 78 + 8 * 19, static_cast<uint32_t>(File.size() + 1));
    EXPECT_THROW(ExtractMobiCover(Dir.Write(u"cut.mobi", File), true, Cover), ERangeError);
}

TEST_F(MobiCover, EmptyCoverRecordIsNoPicture)
{
    const TBytes File = MobiBook(Record0(1, ExthBlock({ExthCover(1)})), 0, {MarkedRecord(1), TBytes()});
    EXPECT_TRUE(CoverOf(File, true).empty());
    EXPECT_EQ(CoverOf(PdbFile({Record0(1, ExthBlock({ExthCover(0)})), MarkedRecord(1), TBytes()}), false),
              MarkedRecord(1));
}

TEST_F(MobiCover, SearchForEXTHStopsAfterOneMebibyte)
{
    for (const size_t At : {MiB - 1, MiB, MiB + 1, 2 * MiB - 100}) {
        TMobiRecord0 Fields;
        Fields.FirstImage = 10;
        Fields.Exth = ExthBlock({ExthCover(4)});
        Fields.ExthAt = At;
        Fields.MinSize = 2 * MiB;
        const TBytes Cover = CoverOf(Book(MobiRecord0(Fields)), false);
        if (At <= MiB)
            EXPECT_EQ(Cover, MarkedRecord(14)) << At;
        else
            EXPECT_TRUE(Cover.empty()) << At;
    }
}

// One mebibyte of 8-byte records with a count asking for two billion: the
// walk ends where record 0 does (a walk that went on would read past it,
// which the address sanitizer reports).
TEST_F(MobiCover, AWalkEndsWhereRecordZeroDoesWhateverTheCount)
{
    std::vector<TExthRecord> Records{ExthCover(2)};
    Records.resize(MiB / 8, TExthRecord{100, {}, 8});
    const TBytes File = Book(Record0(10, ExthBlock(Records, 2000000000)));
    EXPECT_TRUE(CoverOf(File, false).empty());
    EXPECT_EQ(CoverOf(File, true), MarkedRecord(10));
}

TEST_F(MobiCover, AllBookExtensionsReadAlike)
{
    const TBytes File = Book(Record0(3, ExthBlock({ExthCover(1)})));
    for (const char16_t* Name : {u"b.mobi", u"b.azw", u"b.azw3", u"b.azw4", u"b.kf8", u"b.pdb"})
        EXPECT_EQ(CoverOf(File, false, Name), MarkedRecord(4)) << Utf8(Name);
}

TEST(FindBytesInStream, CandidatesAndLimit)
{
    TBytes Block(2 * MiB + 8, 'x');
    const auto Put = [&](size_t At) { std::copy_n("EXTH", 4, Block.begin() + static_cast<std::ptrdiff_t>(At)); };
    Put(5);
    Put(MiB + 1);
    Put(Block.size() - 4);
    TPointerReadOnlyStream Stream(Block.data(), static_cast<intptr_t>(Block.size()));
    Stream.SetPosition(77);

    struct Case {
        int32_t LimitMiB;
        int64_t StartPos;
        const char* Pattern;
        int64_t Expected;
    };
    const Case Cases[] = {
        {1, 0, "EXTH", 5},
        {1, -100, "EXTH", 5},
        {1, 5, "EXTH", 5},
        {1, 6, "EXTH", -1},  // the limit counts from the start of the block
        {2, 6, "EXTH", MiB + 1},
        {0, 6, "EXTH", MiB + 1},
        {-1, MiB + 2, "EXTH", static_cast<int64_t>(Block.size() - 4)},  // at the very end
        {1, MiB + 1, "EXTH", MiB + 1},  // a start beyond the limit still compares once
        {1, MiB + 2, "EXTH", -1},
        {0, static_cast<int64_t>(Block.size() - 3), "EXTH", -1},
        {0, static_cast<int64_t>(Block.size()) + 50, "EXTH", -1},
        {0, 0, "", -1},
        {0, 0, "EXTHE", -1},
        {0, 0, "xE", 4},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FindBytesInStream(Stream, C.LimitMiB, C.Pattern, C.StartPos), C.Expected)
            << C.LimitMiB << " " << C.StartPos << " " << C.Pattern;
    EXPECT_EQ(Stream.Position(), 77) << "the position is not moved";

    const uint8_t Three[] = {'E', 'X', 'T'};
    TPointerReadOnlyStream Shorter(Three, 3);
    EXPECT_EQ(FindBytesInStream(Shorter, 0, "EXTH", 0), -1);
    EXPECT_EQ(FindBytesInStream(Shorter, 0, "EXT", 0), 0);
}

TEST(ReadEXTHOffsets, CoverAtTheGivenPosition)
{
    const TBytes Block = Join({TBytes{'p', 'a', 'd'}, ExthBlock({ExthCover(7)})});
    EXPECT_EQ(ReadEXTHOffsets(Block, 0).Cover, -1) << "no identifier at 0";
    EXPECT_EQ(ReadEXTHOffsets(Block, 3).Cover, 7);

    TBytes Named = ExthBlock({ExthCover(7)});
    Named[3] = 0;
    EXPECT_EQ(ReadEXTHOffsets(Named, 0).Cover, -1) << "identifier EXT";
}

}
