#include <gtest/gtest.h>

#include <chrono>

#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "tests/support/ZipWriter.h"
#include "tests/zip/ZipTestSupport.h"

namespace {

// An end record whose comment is Length bytes.
TBytes ArchiveWithComment(size_t Length) { return EmptyArchive(std::string(Length, 'c')); }

TBytes TwoEntryArchive()
{
    TZipWriter Writer;
    Writer.Add("mimetype", "application/epub+zip");
    Writer.Add("OEBPS/", "");
    return Writer.Build();
}

TEST(ZipDirectory, TinyFilesAreNotArchives)
{
    const TBytes Record = EmptyArchive();
    for (size_t Size = 0; Size <= 4; ++Size) {
        TArchiveFile File(TBytes(Record.begin(), Record.begin() + static_cast<long>(Size)));
        EXPECT_FALSE(TZipFile::IsValid(File.Path)) << Size << " bytes";
    }
    TArchiveFile Empty{TBytes()};
    TZipFile Zip;
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(Empty.Path, zmRead); }), "Stream read error");
    TArchiveFile Four(TBytes(Record.begin(), Record.begin() + 4));
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(Four.Path, zmRead); }), "Error reading zip file");
    EXPECT_EQ(Zip.Mode(), zmClosed);
}

TEST(ZipDirectory, EndRecordAloneIsAnEmptyArchive)
{
    ASSERT_EQ(EmptyArchive().size(), 22u);
    TOpenArchive Archive(EmptyArchive());
    EXPECT_TRUE(TZipFile::IsValid(Archive.Path));
    EXPECT_EQ(Archive.Zip.Mode(), zmRead);
    EXPECT_TRUE(Archive.Zip.FileNames().empty());
}

// The record is looked for at most 65535 bytes before the end, through
// windows that overlap; the lengths around window edges catch a window that
// misses a byte.
TEST(ZipDirectory, EndRecordSearchReach)
{
    struct {
        size_t CommentLength;
        bool Found;
    } const Cases[] = {
        {0, true},       {1, true},       {1001, true},  {1002, true},  {1003, true},  {1004, true},
        {1005, true},    {2025, true},    {2026, true},  {2027, true},  {2028, true},  {2029, true},
        {64000, true},   {65512, true},   {65513, true}, {65514, false}, {65535, false},
    };
    for (const auto& Case : Cases) {
        TArchiveFile File(ArchiveWithComment(Case.CommentLength));
        EXPECT_EQ(TZipFile::IsValid(File.Path), Case.Found) << "comment of " << Case.CommentLength;
        TZipFile Zip;
        if (Case.Found)
            EXPECT_NO_THROW(Zip.Open(File.Path, zmRead)) << "comment of " << Case.CommentLength;
        else
            EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(File.Path, zmRead); }), "Error reading zip file");
    }
}

TEST(ZipDirectory, SignatureInsideTheCommentWins)
{
    // A well-formed record of no entries inside the comment of a real
    // one-entry archive: being nearer the end, it is the one taken.
    const TBytes Fake = EmptyArchive();
    TZipWriter Writer;
    Writer.Add("a.txt", "text");
    Writer.Comment("note " + std::string(Fake.begin(), Fake.end()) + " end");
    TOpenArchive Archive(Writer.Build());
    EXPECT_TRUE(Archive.Zip.FileNames().empty());

    // Signature bytes too near the end to start a record are passed over.
    Writer.Comment("PK\x05\x06 tail");
    TOpenArchive Stray(Writer.Build());
    EXPECT_EQ(Stray.Zip.FileNames(), std::vector<std::u16string>{u"a.txt"});
}

TEST(ZipDirectory, PrependedStub)
{
    const TBytes Stub(3000, 'M');
    TZipWriter Writer;
    Writer.Add("a.txt", "text");

    // Offsets from the archive's own start are read at the wrong places.
    Writer.Stub(Stub, false);
    TArchiveFile Shifted(Writer.Build());
    EXPECT_TRUE(TZipFile::IsValid(Shifted.Path));
    TZipFile Zip;
    EXPECT_THROW(Zip.Open(Shifted.Path, zmRead), EZipException);
    EXPECT_EQ(Zip.Mode(), zmClosed);
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.FileNames(); }), "File must be open");

    // A self-extractor's offsets count from the file's start and read fine.
    Writer.Stub(Stub, true);
    TOpenArchive Fixed(Writer.Build());
    EXPECT_EQ(ReadWhole(Fixed.Zip, u"a.txt"), Bytes("text"));
}

TEST(ZipDirectory, NamesDecodeByTheirFlag)
{
    struct {
        std::string Raw;
        uint16_t Flag;
        std::u16string Name;
    } const Cases[] = {
        {"\x81", 0, u"\u00FC"},
        {"\xC3\xBC", ZipUtf8, u"\u00FC"},
        {"\xC3\xBC", 0, u"\u251C\u255D"},   // the same bytes as code page 437
        {"caf\xE9.txt", 0, u"caf\u0398.txt"},
        {"\xE2\x82\xAC", ZipUtf8, u"\u20AC"},
        {"Images\\Cover.JPG", 0, u"Images\\Cover.JPG"},
    };
    for (const auto& Case : Cases) {
        TZipWriter Writer;
        Writer.Add(Case.Raw, "x").Flag = Case.Flag;
        TOpenArchive Archive(Writer.Build());
        EXPECT_EQ(Archive.Zip.FileNames(), std::vector<std::u16string>{Case.Name});
        EXPECT_EQ(Archive.Zip.IndexOf(Case.Name), 0);
    }
    // Malformed UTF-8 is replaced, not refused.
    TZipWriter Writer;
    Writer.Add("bad\xC3", "x").Flag = ZipUtf8;
    TOpenArchive Archive(Writer.Build());
    ASSERT_EQ(Archive.Zip.FileNames().size(), 1u);
    EXPECT_EQ(Archive.Zip.FileNames()[0].substr(0, 3), u"bad");
}

TEST(ZipDirectory, IndexOfIsExactAndFindsTheFirst)
{
    TZipWriter Writer;
    Writer.Add("images/cover.jpg", "one");
    Writer.Add("OEBPS/", "");
    Writer.Add("images/cover.jpg", "two");
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(Archive.Zip.FileNames(),
              (std::vector<std::u16string>{u"images/cover.jpg", u"OEBPS/", u"images/cover.jpg"}));
    EXPECT_EQ(Archive.Zip.IndexOf(u"images/cover.jpg"), 0);
    EXPECT_EQ(ReadWhole(Archive.Zip, u"images/cover.jpg"), Bytes("one"));
    EXPECT_EQ(Archive.Zip.IndexOf(u"OEBPS/"), 1);
    for (const std::u16string Miss : {u"Images/Cover.jpg", u"images\\cover.jpg", u"/images/cover.jpg",
                                      u"images/cover.jpg ", u"OEBPS", u""})
        EXPECT_EQ(Archive.Zip.IndexOf(Miss), -1) << Utf8(Miss);
}

// Lookups by name in an archive of many long names: each name is decoded
// once when the archive opens, then a lookup decodes only the entry it
// finds, however many the archive holds; the first of equal names wins.
TEST(ZipDirectory, LookupsDecodeOnlyTheNameTheyFind)
{
    constexpr int Count = 3000;
    TZipWriter Writer;
    const auto Name = [](int Index) { return std::string(200, 'n') + std::to_string(Index); };
    for (int Index = 0; Index < Count; ++Index)
        Writer.Add(Name(Index), "");
    Writer.Add(Name(7), "again");
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(Archive.Zip.NamesDecoded(), uint64_t{Count} + 1);

    struct {
        std::string Name;
        int Index;
    } const Cases[] = {{Name(0), 0}, {Name(Count - 1), Count - 1}, {Name(7), 7}, {Name(Count), -1}, {"", -1}};
    for (const auto& Case : Cases) {
        const uint64_t Before = Archive.Zip.NamesDecoded();
        EXPECT_EQ(Archive.Zip.IndexOf(std::u16string(Case.Name.begin(), Case.Name.end())), Case.Index) << Case.Name;
        EXPECT_LE(Archive.Zip.NamesDecoded() - Before, 1u) << Case.Name;
    }
}

TEST(ZipDirectory, CentralHeaderFieldsAreKept)
{
    TZipWriter Writer;
    Writer.Add("x", "abc");
    TZipWriterEntry& Entry = Writer.Add("y.txt", "hello hello hello", ZipDeflated);
    Entry.Extra = {0x55, 0x54, 0x01, 0x00, 0x00};
    Entry.Comment = "entry comment";
    TOpenArchive Archive(Writer.Build());
    const TZipHeader& Header = Archive.Zip.FileInfo(1);
    EXPECT_EQ(Header.MadeByVersion, 0x031E);
    EXPECT_EQ(Header.RequiredVersion, 20);
    EXPECT_EQ(Header.CompressionMethod, ZipDeflated);
    EXPECT_EQ(Header.ModifiedDateTime, 0x5A8C6E21u);
    EXPECT_EQ(Header.UncompressedSize, 17u);
    EXPECT_EQ(Header.CompressedSize, RawDeflate(Bytes("hello hello hello")).size());
    EXPECT_EQ(Header.InternalAttributes, 1);
    EXPECT_EQ(Header.ExternalAttributes, 0x81A40000u);
    EXPECT_EQ(Header.LocalHeaderOffset, 30u + 1 + 3);
    EXPECT_EQ(Header.FileName, "y.txt");
    EXPECT_EQ(Header.FileNameLength, 5);
    EXPECT_EQ(Header.ExtraField, Entry.Extra);
    EXPECT_EQ(Header.FileComment, Bytes("entry comment"));
    EXPECT_THROW(Archive.Zip.FileInfo(2), EListError);
}

// Counts, offsets and lengths from the file are not trusted: each damage
// fails the open, quickly, and leaves the reader closed.
TEST(ZipDirectory, DamagedCentralDirectoryFailsTheOpen)
{
    struct {
        const char* What;
        void (*Damage)(TZipWriter&);
        const char* Message;
    } const Cases[] = {
        {"wrong header signature", [](TZipWriter& W) { W.Add("b", "b").CentralSignature = 0x02014B51; },
         "Invalid Zip Central Header signature"},
        {"count of 65535", [](TZipWriter& W) { W.EntryCount = 65535; }, "Invalid Zip Central Header signature"},
        {"one entry too many", [](TZipWriter& W) { W.EntryCount = 2; }, "Invalid Zip Central Header signature"},
        {"offset past the end", [](TZipWriter& W) { W.CentralDirectoryOffset = 0xFFFFFFF0; },
         "Error reading zip file"},
        {"offset into the end record", [](TZipWriter& W) { W.CentralDirectoryOffset = 30 + 1 + 1 + 47 + 10; },
         "Invalid Zip Central Header signature"},
    };
    for (const auto& Case : Cases) {
        TZipWriter Writer;
        Writer.Add("a", "a");
        Case.Damage(Writer);
        TArchiveFile File(Writer.Build());
        TZipFile Zip;
        const auto Start = std::chrono::steady_clock::now();
        EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(File.Path, zmRead); }), Case.Message) << Case.What;
        EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(1)) << Case.What;
        EXPECT_EQ(Zip.Mode(), zmClosed) << Case.What;
        EXPECT_EQ(Zip.FileCount(), 0) << Case.What;
    }
}

// Name, extra field and comment lengths that run past the end of the file.
TEST(ZipDirectory, HeaderLengthsPastTheEnd)
{
    const TBytes Good = TwoEntryArchive();
    const size_t CentralStart = Good.size() - 22 - (46 + 8) - (46 + 6);
    for (const size_t Field : {28u, 30u, 32u}) {
        TBytes Bad = Good;
        Bad[CentralStart + Field] = 0xFF;
        Bad[CentralStart + Field + 1] = 0xFF;
        TArchiveFile File(Bad);
        TZipFile Zip;
        EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(File.Path, zmRead); }), "Error reading zip file")
            << "field at " << Field;
    }
}

TEST(ZipDirectory, ClosedReaderAndBadArguments)
{
    TZipFile Zip;
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.FileNames(); }), "File must be open");
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Zip, u"a"); }), "File must be open for reading");
    EXPECT_EQ(Zip.IndexOf(u"a"), -1);

    TArchiveFile File(TwoEntryArchive());
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(File.Path, zmClosed); }), "Invalid argument");
    EXPECT_EQ(FailureOf<EZipException>([&] { Zip.Open(File.Path, static_cast<TZipMode>(7)); }), "Invalid argument");

    const std::u16string Missing = File.Dir.Path(u"missing.zip");
    EXPECT_FALSE(TZipFile::IsValid(Missing));
    EXPECT_FALSE(TZipFile::IsValid(File.Dir.Root())); // a folder
    const std::string Message = FailureOf<EFOpenError>([&] { Zip.Open(Missing, zmRead); });
    EXPECT_EQ(Message.rfind("Cannot open file \"" + Utf8(Missing) + "\". ", 0), 0u) << Message;
    EXPECT_EQ(Zip.Mode(), zmClosed);
}

TEST(ZipDirectory, OpenAgainReplacesTheArchive)
{
    TOpenArchive First(TwoEntryArchive());
    TZipWriter Writer;
    Writer.Add("other", "x");
    TArchiveFile Second(Writer.Build());
    First.Zip.Open(Second.Path, zmRead);
    EXPECT_EQ(First.Zip.FileNames(), std::vector<std::u16string>{u"other"});
    First.Zip.Close();
    EXPECT_EQ(First.Zip.Mode(), zmClosed);
    EXPECT_EQ(First.Zip.IndexOf(u"other"), -1);
}

// A thumbnail must neither lock a book away from a reader that has it open
// nor fail because one has.
TEST(ZipDirectory, ArchivesOpenWithReadSharing)
{
    TArchiveFile File(TwoEntryArchive());
    {
        TFileStream Reader(File.Path, fsShareDenyWrite);
        EXPECT_TRUE(TZipFile::IsValid(File.Path));
        TZipFile Zip;
        EXPECT_NO_THROW(Zip.Open(File.Path, zmRead));
    }
    TZipFile Zip;
    Zip.Open(File.Path, zmRead);
    EXPECT_NO_THROW(TFileStream(File.Path, fsShareDenyWrite));
    EXPECT_TRUE(TZipFile::IsValid(File.Path));
    EXPECT_EQ(ReadWhole(Zip, u"mimetype"), Bytes("application/epub+zip"));
}

TEST(ZipDirectory, OpensFromAStreamAtItsPosition)
{
    TZipWriter Writer;
    Writer.Add("a.txt", "text");
    const TBytes Archive = Writer.Build();
    TPointerReadOnlyStream Stream(Archive.data(), static_cast<intptr_t>(Archive.size()));
    TZipFile Zip;
    Zip.Open(Stream, zmRead);
    EXPECT_EQ(ReadWhole(Zip, u"a.txt"), Bytes("text"));

    // Local header offsets count from the stream's position at the open; the
    // central directory's offset is a plain stream position.
    const uint32_t CentralOffset = static_cast<uint32_t>(Archive.size() - 22 - (46 + 5));
    Writer.Stub(TBytes(100, 'M'), false);
    Writer.CentralDirectoryOffset = CentralOffset + 100;
    const TBytes Shifted = Writer.Build();
    TPointerReadOnlyStream Behind(Shifted.data(), static_cast<intptr_t>(Shifted.size()));
    Behind.Seek(100, soBeginning);
    Zip.Open(Behind, zmRead);
    EXPECT_EQ(ReadWhole(Zip, u"a.txt"), Bytes("text"));
    Behind.Seek(0, soBeginning);
    Zip.Open(Behind, zmRead);
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Zip, u"a.txt"); }), "Invalid Zip Local Header signature");
}

}
