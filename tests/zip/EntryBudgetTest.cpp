#include "tests/zip/ZipTestSupport.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "tests/support/ZipWriter.h"
#include "zip/LimitedEntryStream.h"

namespace {

std::optional<TBytes> ReadOrNone(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget)
{
    try {
        return Zip.Read(Name, Limit, Budget);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

// Entries within the caller's limit only, by stated size and by what they
// yield; a sized entry is its central size long whatever it inflates to.
TEST(EntryRead, WholeEntriesWithinTheLimitOnly)
{
    TZipWriter Writer;
    Writer.Add("stored", std::string(100, 's'));
    Writer.Add("deflated", std::string(100, 'd'), ZipDeflated);
    Writer.Add("understated", std::string(100, 'u'), ZipDeflated).CentralUncompressedSize = 10;
    Writer.Add("bit3", std::string(100, 'b'), ZipDeflated).Flag = ZipBit3;
    Writer.Add("damaged", std::string(100, 'x'), ZipDeflated).Data = Bytes("\xFF\xFF\xFF\xFF not deflate");
    Writer.Add("empty", std::string());
    TOpenArchive Archive(Writer.Build());

    struct {
        const char16_t* Name;
        uint32_t Limit;
        std::optional<size_t> Size;
    } const Cases[] = {
        {u"stored", 100, 100},        {u"stored", 99, std::nullopt},  {u"deflated", 100, 100},
        {u"deflated", 99, std::nullopt}, {u"understated", 10, 10},    {u"understated", 9, std::nullopt},
        {u"bit3", 100, 100},          {u"bit3", 99, std::nullopt},    {u"empty", 0, 0},
        {u"damaged", 1000, std::nullopt}, {u"missing", 1000, std::nullopt}, {u"Stored", 1000, std::nullopt},
    };
    for (const auto& Case : Cases) {
        TReadBudget Budget(1000);
        const std::optional<TBytes> Entry = ReadOrNone(Archive.Zip, Case.Name, Case.Limit, Budget);
        ASSERT_EQ(Entry.has_value(), Case.Size.has_value()) << Utf8(Case.Name) << " " << Case.Limit;
        if (Entry) {
            EXPECT_EQ(Entry->size(), *Case.Size) << Utf8(Case.Name);
        }
    }
}

// States 1000 bytes and sizes after the data, inflates to 64 MiB: the read
// stops one byte past the limit, and only that much is charged.
TEST(EntryRead, ABombStopsAtTheLimit)
{
    TZipWriter Writer;
    TZipWriterEntry& Bomb = Writer.Add("bomb", TBytes(), ZipDeflated);
    Bomb.Data = DeflatedRun(uint64_t{64} << 20);
    Bomb.CentralUncompressedSize = Bomb.LocalUncompressedSize = 1000;
    Bomb.Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    TReadBudget Budget(uint64_t{1} << 30);
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"bomb", 1u << 20, Budget));
    EXPECT_EQ((uint64_t{1} << 30) - Budget.Left(), (1u << 20) + 1u);
}

// A stated size is a hint within the limit: the stream reports it until
// more has come, and a read reserves no more than one byte past the limit
// however large the size the caller passes.
TEST(EntryRead, AStatedSizeNeverReservesPastTheLimit)
{
    TZipWriter Writer;
    Writer.Add("text", std::string(3000, 't'), ZipDeflated).Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    const struct {
        uint64_t Stated, Size;
    } Cases[] = {{3000, 3000}, {100, 100}, {uint64_t{1} << 40, 5000}};
    for (const auto& Case : Cases) {
        TReadBudget Budget(1u << 20);
        TZipHeader LocalHeader;
        const std::unique_ptr<TStream> Entry = Archive.Zip.Read(u"text", LocalHeader);
        TLimitedEntryStream Limited(*Entry, 5000, Budget, Case.Stated);
        EXPECT_EQ(Limited.Size(), static_cast<int64_t>(Case.Size)) << Case.Stated;
        const TBytes Text = Limited.ReadAtMost(UINT64_MAX, Case.Stated);
        EXPECT_EQ(Text, TBytes(3000, 't'));
        EXPECT_LE(Text.capacity(), 5001u) << Case.Stated;
        EXPECT_EQ(Limited.Size(), std::max<int64_t>(static_cast<int64_t>(Case.Size), 3000));
    }
}

// Reads within one budget: what each yields is charged, a read that fails
// on the way is charged what it inflated, and a missing or over-stated entry
// nothing; what is left bounds every later read. A search's share stops at
// its own allowance and charges the request's budget as well.
TEST(EntryRead, ABudgetSharedByReads)
{
    TZipWriter Writer;
    Writer.Add("a", std::string(100, 'a'), ZipDeflated);
    Writer.Add("b", std::string(100, 'b'), ZipDeflated);
    Writer.Add("c", std::string(100, 'c'), ZipDeflated).Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    TReadBudget Request(1000);
    TReadBudget Search(Request, 250);
    EXPECT_EQ(ReadOrNone(Archive.Zip, u"a", 1000, Search), TBytes(100, 'a'));
    EXPECT_EQ(Search.Left(), 150u);
    EXPECT_EQ(Request.Left(), 900u);
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"missing", 1000, Search));
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"b", 99, Search));
    EXPECT_EQ(Search.Left(), 150u);
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"c", 50, Search));
    EXPECT_EQ(Search.Left(), 99u);
    EXPECT_EQ(Request.Left(), 849u);
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"b", 1000, Search));
    EXPECT_FALSE(ReadOrNone(Archive.Zip, u"c", 1000, Search));
    EXPECT_EQ(Search.Left(), 0u);
    EXPECT_EQ(Request.Left(), 749u);
    // The request goes on after its search has spent its share.
    EXPECT_EQ(ReadOrNone(Archive.Zip, u"b", 1000, Request), TBytes(100, 'b'));
    // A share is never more than what its request has left.
    TReadBudget Poor(60);
    EXPECT_EQ(TReadBudget(Poor, 250).Left(), 60u);
}

}
