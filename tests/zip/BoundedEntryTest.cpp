#include "tests/zip/ZipTestSupport.h"

#include "tests/support/ZipWriter.h"
#include "zip/BoundedEntry.h"

namespace {

TEST(ReadBoundedEntry, WholeEntriesWithinTheLimitOnly)
{
    TZipWriter Writer;
    Writer.Add("stored", std::string(100, 's'));
    Writer.Add("deflated", std::string(100, 'd'), ZipDeflated);
    // Central sizes that understate the content: only what reading yields counts.
    Writer.Add("understated", std::string(100, 'u'), ZipDeflated).CentralUncompressedSize = 10;
    Writer.Add("damaged", std::string(100, 'x'), ZipDeflated).Data = Bytes("\xFF\xFF\xFF\xFF not deflate");
    Writer.Add("empty", std::string());
    TOpenArchive Archive(Writer.Build());

    struct {
        const char16_t* Name;
        uint32_t Limit;
        std::optional<size_t> Size;
    } const Cases[] = {
        {u"stored", 100, 100}, {u"stored", 99, std::nullopt},   {u"deflated", 100, 100},
        {u"deflated", 99, std::nullopt}, {u"understated", 50, std::nullopt}, {u"empty", 0, 0},
        {u"damaged", 1000, std::nullopt}, {u"missing", 1000, std::nullopt}, {u"Stored", 1000, std::nullopt},
    };
    for (const auto& Case : Cases) {
        const std::optional<TBytes> Entry = ReadBoundedEntry(Archive.Zip, Case.Name, Case.Limit);
        ASSERT_EQ(Entry.has_value(), Case.Size.has_value()) << Utf8(Case.Name) << " " << Case.Limit;
        if (Entry) {
            EXPECT_EQ(Entry->size(), *Case.Size) << Utf8(Case.Name);
        }
    }
    EXPECT_EQ(ReadBoundedEntry(Archive.Zip, u"deflated", 100), TBytes(100, 'd'));
}

TEST(ReadBoundedEntry, ABombStopsAtTheLimit)
{
    TZipWriter Writer;
    // States 1000 bytes, inflates to 64 MiB: whatever the reader makes of the
    // lie, never more than the limit is held.
    TZipWriterEntry& Bomb = Writer.Add("bomb", TBytes(), ZipDeflated);
    Bomb.Data = DeflatedRun(uint64_t{64} << 20);
    Bomb.CentralUncompressedSize = Bomb.LocalUncompressedSize = 1000;
    TOpenArchive Archive(Writer.Build());
    const std::optional<TBytes> Entry = ReadBoundedEntry(Archive.Zip, u"bomb", 1u << 20);
    EXPECT_TRUE(!Entry || Entry->size() <= (1u << 20));
}

// Reads within one budget: what each yields is charged, a read that fails
// on the way is charged what it inflated, and a missing or over-stated entry
// nothing; what is left bounds every later read.
TEST(ReadBoundedEntry, ABudgetSharedByReads)
{
    TZipWriter Writer;
    Writer.Add("a", std::string(100, 'a'), ZipDeflated);
    Writer.Add("b", std::string(100, 'b'), ZipDeflated);
    Writer.Add("understated", std::string(100, 'u'), ZipDeflated).CentralUncompressedSize = 10;
    TOpenArchive Archive(Writer.Build());
    TReadBudget Budget(250);
    EXPECT_EQ(ReadBoundedEntry(Archive.Zip, u"a", 1000, &Budget), TBytes(100, 'a'));
    EXPECT_EQ(Budget.Left(), 150u);
    EXPECT_FALSE(ReadBoundedEntry(Archive.Zip, u"missing", 1000, &Budget));
    EXPECT_FALSE(ReadBoundedEntry(Archive.Zip, u"b", 99, &Budget));
    EXPECT_EQ(Budget.Left(), 150u);
    EXPECT_FALSE(ReadBoundedEntry(Archive.Zip, u"understated", 50, &Budget));
    EXPECT_EQ(Budget.Left(), 99u);
    EXPECT_FALSE(ReadBoundedEntry(Archive.Zip, u"b", 1000, &Budget));
    EXPECT_EQ(Budget.Left(), 99u);
    EXPECT_FALSE(ReadBoundedEntry(Archive.Zip, u"understated", 1000, &Budget));
    EXPECT_EQ(Budget.Left(), 0u);
}

}
