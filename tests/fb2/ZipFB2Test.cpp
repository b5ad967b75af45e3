#include <gtest/gtest.h>

#include "fb2/FB2Cover.h"
#include "fb2/ZipFB2.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

namespace {

// A budget that never runs out: these cases are about the entry's own limit.
TReadBudget& AnyBudget()
{
    static TReadBudget Budget(UINT64_MAX);
    return Budget;
}

TEST(FB2ZipFilter, PassesNamesEndingInFb2Zip)
{
    const struct {
        const char16_t* Path;
        bool Passes;
    } Cases[] = {
        {u"C:\\books\\book.fb2.zip", true},
        {u"C:\\BOOKS\\BOOK.FB2.ZIP", true},
        {u"\\\\?\\C:\\long\\novel_fb2.zip", true},
        {u"fb2.zip", true},
        {u"b2.zip", false},
        {u"C:\\books\\book.zip", false},
        {u"C:\\books\\book.fb2.zip.bak", false},
        {u"", false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(PassesFB2ZipFilter(Case.Path), Case.Passes) << Utf8(Case.Path);
}

TEST(FB2ZipEntry, NamesWithTheFb2Extension)
{
    const struct {
        const char16_t* Name;
        bool IsFB2;
    } Cases[] = {
        {u"book.fb2", true},
        {u"Book.FB2", true},
        {u"books/book.fb2", true},
        {u"books.fb2/book", false},
        {u"book.fb2/", false},
        {u"book.fb2.bak", false},
        {u"book.fb2\\x", false},
        {u"a.b:c.fb2", true},
        {u"book.fb2:x", false},
        {u"fb2", false},
        {u".fb2", true},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(IsFB2EntryName(Case.Name), Case.IsFB2) << Utf8(Case.Name);
}

std::string BookWithCover(const std::string& Picture)
{
    return BuildFb2WithCover(Picture);
}

struct TZippedBook {
    explicit TZippedBook(const TZipWriter& Writer) : Path(Dir.Write(u"book.fbz", Writer.Build()))
    {
        Zip.Open(Path, zmRead);
    }
    // The cover found through the entry loader, with the archive closed first.
    std::string Cover()
    {
        IXMLDocument Document;
        {
            std::unique_ptr<TStream> Entry;
            Document = LoadFB2EntryDocument(Zip, Entry, AnyBudget());
            Zip.Close();
        }
        if (!Document)
            return "no document";
        EXPECT_FALSE(Document->Active());
        return ExtractFB2Cover(std::move(Document));
    }
    TTempDir Dir;
    std::u16string Path;
    TZipFile Zip;
};

TEST(FB2ZipEntry, TheFirstFb2EntryInDirectoryOrderIsLoaded)
{
    TZipWriter Writer;
    Writer.Add("readme.txt", std::string("<FictionBook/>"));
    Writer.Add("book.fb2.bak", BookWithCover("backup"));
    Writer.Add("book.fb2/", std::string());
    Writer.Add("Book.FB2", BookWithCover("first"), ZipDeflated);
    Writer.Add("other.fb2", BookWithCover("second"));
    EXPECT_EQ(TZippedBook(Writer).Cover(), "first");
}

TEST(FB2ZipEntry, ALaterEntryIsNotTriedWhenTheFirstHasNoCover)
{
    TZipWriter Writer;
    Writer.Add("books/a.fb2", BuildFb2(TFb2Book()));
    Writer.Add("books/b.fb2", BookWithCover("second"));
    EXPECT_EQ(TZippedBook(Writer).Cover(), "");
}

TEST(FB2ZipEntry, NoFb2EntryGivesNoDocument)
{
    TZipWriter Writer;
    Writer.Add("book.epub", BookWithCover("x"));
    Writer.Add("book.fb2.bak", BookWithCover("x"));
    EXPECT_EQ(TZippedBook(Writer).Cover(), "no document");
}

TEST(FB2ZipEntry, StoredAndDeflatedEntriesInEveryEncoding)
{
    TFb2Book Book;
    Book.Title = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";
    Book.Covers = {"#cover.jpg"};
    Book.Binaries = {{"cover.jpg", "cover bytes"}};
    const std::string Utf8 = BuildFb2(Book);
    Book.Declaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
    const std::string Cp1251 = Utf8ToCp1251(BuildFb2(Book));
    for (const std::string& Text : {Utf8, Cp1251, Utf16WithBom(Utf8, false), Utf16WithBom(Utf8, true)})
        for (uint16_t Method : {ZipStored, ZipDeflated}) {
            TZipWriter Writer;
            Writer.Add("book.fb2", Text, Method);
            EXPECT_EQ(TZippedBook(Writer).Cover(), "cover bytes") << "method " << Method;
        }
}

// The stated size only sizes the text's buffer: under, over, or beyond what
// the file could hold, the whole text is read, and no further.
TEST(FB2ZipEntry, AStatedSizeThatLiesReadsTheSameBook)
{
    const std::string Book = BookWithCover("cover bytes");
    for (uint16_t Method : {ZipStored, ZipDeflated})
        for (uint32_t Stated : {uint32_t{0}, uint32_t{10}, static_cast<uint32_t>(Book.size()),
                                static_cast<uint32_t>(Book.size()) + 1, uint32_t{1} << 20, uint32_t{200} << 20}) {
            TZipWriter Writer;
            Writer.Add("book.fb2", Book, Method).CentralUncompressedSize = Stated;
            EXPECT_EQ(TZippedBook(Writer).Cover(), "cover bytes") << "method " << Method << ", stated " << Stated;
        }
}

// A text that a NUL ends early is read little further, however large the
// size stated for it: room for the size is made, not inflated into.
TEST(FB2ZipEntry, ANulEndsTheReadEarlyWhateverTheStatedSize)
{
    TZipWriter Writer;
    TZipWriterEntry& Zeros = Writer.Add("book.fb2", TBytes(), ZipDeflated);
    Zeros.Data = DeflatedRun(uint64_t{32} << 20);
    Zeros.CentralUncompressedSize = Zeros.LocalUncompressedSize = uint32_t{32} << 20;
    TZippedBook Zipped(Writer);
    TReadBudget Budget(uint64_t{1} << 30);
    LoadFB2Entry(Zipped.Zip, u"book.fb2", Limits::ZippedFB2TextBytes, Budget);
    EXPECT_LE((uint64_t{1} << 30) - Budget.Left(), uint64_t{128} << 10);
}

TEST(FB2ZipEntry, ADamagedEntryRaises)
{
    TZipWriter Writer;
    Writer.Add("book.fb2", BookWithCover("x")).LocalSignature = 0x12345678;
    TZippedBook Zipped(Writer);
    std::unique_ptr<TStream> Entry;
    EXPECT_THROW(LoadFB2EntryDocument(Zipped.Zip, Entry, AnyBudget()), EZipException);
}

TEST(FB2ZipEntry, ADeflateBombIsRefusedAtTheEntryLimit)
{
    // 1 GiB of spaces in about 1 MiB of deflate data, its size stated
    // nowhere. (Zeros would end the text at once.)
    TZipWriter Writer;
    TZipWriterEntry& Bomb = Writer.Add("book.fb2", TBytes(), ZipDeflated);
    Bomb.Data = DeflatedRun(uint64_t{1} << 30, ' ');
    Bomb.Flag = ZipBit3;
    TZippedBook Zipped(Writer);
    std::unique_ptr<TStream> Entry;
    try {
        LoadFB2EntryDocument(Zipped.Zip, Entry, AnyBudget());
        FAIL() << "the bomb was read";
    } catch (const EZipException& Error) {
        EXPECT_STREQ(Error.what(), "Error reading zip file");
    }
}

}
