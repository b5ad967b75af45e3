#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/support/ZipWriter.h"
#include "tests/zip/ZipTestSupport.h"
#include "zip/ZDecompressionStream.h"

namespace {

// Bytes that compress, but not to nothing.
TBytes Sample(size_t Size)
{
    TBytes Data(Size);
    uint32_t State = 12345;
    for (size_t I = 0; I < Size; ++I) {
        State = State * 1103515245 + 12345;
        Data[I] = static_cast<uint8_t>(I % 7 == 0 ? State >> 24 : 'a' + I % 13);
    }
    return Data;
}

TEST(ZipRead, StoredAndDeflatedReadTheSame)
{
    for (const size_t Size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{70000}, size_t{300000}}) {
        const TBytes Content = Sample(Size);
        TZipWriter Writer;
        Writer.Add("stored", Content, ZipStored);
        Writer.Add("deflated", Content, ZipDeflated);
        TOpenArchive Archive(Writer.Build());
        EXPECT_EQ(ReadWhole(Archive.Zip, u"stored"), Content) << Size;
        EXPECT_EQ(ReadWhole(Archive.Zip, u"deflated"), Content) << Size;
    }
}

// With bit 3 the sizes come after the data: the result is what the entry
// stream delivers, across the sizes where the growing buffer turns over.
TEST(ZipRead, SizesAfterTheData)
{
    for (const size_t Size : {size_t{0}, size_t{100}, size_t{4096}, size_t{4097}, size_t{8192}, size_t{12289},
                              size_t{1} << 20, (size_t{5} << 20) + 3}) {
        const TBytes Content = Sample(Size);
        TZipWriter Writer;
        Writer.Add("deflated", Content, ZipDeflated).Flag = ZipBit3;
        Writer.Add("stored", Content, ZipStored).Flag = ZipBit3;
        TOpenArchive Archive(Writer.Build());
        EXPECT_EQ(ReadWhole(Archive.Zip, u"deflated"), Content) << Size;
        // A stored entry ends at its CompressedSize, before its data descriptor.
        EXPECT_EQ(ReadWhole(Archive.Zip, u"stored"), Content) << Size;
    }
}

TEST(ZipRead, EmptySizedEntryIsNotTouched)
{
    TZipWriter Writer;
    TZipWriterEntry& Entry = Writer.Add("empty", TBytes(), ZipDeflated);
    Entry.Data = Bytes("\xFF\xFF not deflate");
    TOpenArchive Archive(Writer.Build());
    EXPECT_TRUE(ReadWhole(Archive.Zip, u"empty").empty());
}

TEST(ZipRead, DeflateEndingEarly)
{
    const TBytes Content = Sample(10000);
    const TBytes Half(Content.begin(), Content.begin() + 5000);
    TZipWriter Writer;
    Writer.Add("sized", Content, ZipDeflated).Data = RawDeflate(Half);
    TZipWriterEntry& Unsized = Writer.Add("unsized", Content, ZipDeflated);
    Unsized.Data = RawDeflate(Half);
    Unsized.Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, u"sized"); }), "Error reading zip file");
    EXPECT_EQ(ReadWhole(Archive.Zip, u"unsized"), Half);
}

TEST(ZipRead, LocalSizeSmallerThanCentral)
{
    TZipWriter Writer;
    Writer.Add("stored", "abcdef").LocalUncompressedSize = 3;
    Writer.Add("deflated", "abcdef", ZipDeflated).LocalUncompressedSize = 4;
    TZipWriterEntry& Larger = Writer.Add("larger", "abcdef");
    Larger.LocalUncompressedSize = 100; // the central size is what is read
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(ReadWhole(Archive.Zip, u"stored"), Bytes(std::string("abc\0\0\0", 6)));
    EXPECT_EQ(ReadWhole(Archive.Zip, u"deflated"), Bytes(std::string("abcd\0\0", 6)));
    EXPECT_EQ(ReadWhole(Archive.Zip, u"larger"), Bytes("abcdef"));
}

// The central directory's method picks the stream: only its low 8 bits, and
// the local header's method is not looked at.
TEST(ZipRead, CompressionMethods)
{
    const TBytes Content = Sample(1000);
    struct {
        uint16_t Central;
        uint16_t Local;
        bool Supported;
    } const Cases[] = {
        {8, 0, true}, {0x0108, 8, true}, {0x0100, 0, true}, {9, 8, false},
        {12, 12, false}, {14, 14, false}, {1, 1, false},  {99, 99, false},
    };
    for (const auto& Case : Cases) {
        TZipWriter Writer;
        TZipWriterEntry& Entry = Writer.Add("e", Content, Case.Central);
        Entry.LocalMethod = Case.Local;
        Entry.Data = (Case.Central & 0xFF) == 8 ? RawDeflate(Content) : Content;
        TOpenArchive Archive(Writer.Build());
        if (Case.Supported) {
            EXPECT_EQ(ReadWhole(Archive.Zip, u"e"), Content) << Case.Central;
        } else {
            EXPECT_EQ(FailureOf<EListError>([&] { ReadWhole(Archive.Zip, u"e"); }), "Item not found") << Case.Central;
            TZipHeader Local;
            EXPECT_THROW(Archive.Zip.Read(u"e", Local), EListError) << Case.Central;
        }
    }
}

TEST(ZipRead, MissingNamesAndDamagedLocalHeaders)
{
    TZipWriter Writer;
    Writer.Add("images/cover.jpg", "jpeg");
    Writer.Add("bad", "x").LocalSignature = 0x04034B51;
    Writer.Add("far", "x");
    TBytes Archive = Writer.Build();
    TOpenArchive Open(Archive);
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Open.Zip, u"Images/Cover.jpg"); }),
              "The specified file was not found");
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Open.Zip, u"bad"); }), "Invalid Zip Local Header signature");

    // A local header offset past the end of the file.
    const size_t FarOffsetField = Archive.size() - 22 - (46 + 3) + 42;
    for (int I = 0; I < 4; ++I)
        Archive[FarOffsetField + I] = 0xFF;
    TOpenArchive Far(Archive);
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Far.Zip, u"far"); }), "Invalid Zip Local Header signature");
}

// A local header cut by the end of the file shows only as data that cannot
// be read in full.
TEST(ZipRead, LocalHeaderCutShort)
{
    TZipWriter Writer;
    Writer.Add("a", "abc");
    TBytes Archive = Writer.Build();
    TBytes Cut(Archive.begin(), Archive.begin() + 28); // no name, no data
    // The central directory and end record go in front, the cut header last.
    TZipWriter Front;
    Front.Add("a", "abc");
    TBytes Directory = Front.Build();
    Directory.erase(Directory.begin(), Directory.begin() + 34);
    const auto HeaderAt = static_cast<uint32_t>(Directory.size());
    for (int I = 0; I < 4; ++I)
        Directory[42 + I] = static_cast<uint8_t>(HeaderAt >> (8 * I));
    Directory[Directory.size() - 6] = 0; // the directory now starts at 0
    Directory.insert(Directory.end(), Cut.begin(), Cut.end());
    TOpenArchive Open(Directory);
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Open.Zip, u"a"); }), "Error reading zip file");
}

TEST(ZipRead, CorruptDeflateData)
{
    TZipWriter Writer;
    Writer.Add("e", Sample(100), ZipDeflated).Data = Bytes("\xFF\xFF\xFF\xFF\xFF\xFF");
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(FailureOf<EZDecompressionError>([&] { ReadWhole(Archive.Zip, u"e"); }), "data error");
}

TEST(ZipRead, StreamWithLocalHeader)
{
    const TBytes Content = Sample(5000);
    TZipWriter Writer;
    TZipWriterEntry& Stored = Writer.Add("s\xC3\xBC", Content);
    Stored.Flag = ZipUtf8;
    Stored.Comment = "comment";
    Stored.Extra = {1, 2, 3, 4};
    Writer.Add("d", Content, ZipDeflated);
    TOpenArchive Archive(Writer.Build());

    TZipHeader Local;
    Local.MadeByVersion = 9;
    Local.LocalHeaderOffset = 9;
    Local.FileComment = {1};
    std::unique_ptr<TStream> Stream = Archive.Zip.Read(u"s\u00FC", Local);
    EXPECT_EQ(Local.MadeByVersion, 0);
    EXPECT_EQ(Local.LocalHeaderOffset, 0u);
    EXPECT_EQ(Local.FileCommentLength, 0);
    EXPECT_TRUE(Local.FileComment.empty());
    EXPECT_EQ(Local.RequiredVersion, 20);
    EXPECT_EQ(Local.Flag, ZipUtf8);
    EXPECT_EQ(Local.FileName, "s\xC3\xBC");
    EXPECT_EQ(Local.FileNameCodePage, 65001u);
    EXPECT_EQ(Local.ExtraField, (TBytes{1, 2, 3, 4}));
    EXPECT_EQ(Local.UncompressedSize, 5000u);

    // The stored stream ends after the entry, not at the end of the archive.
    EXPECT_EQ(Stream->Size(), 5000);
    TBytes Got(6000);
    EXPECT_EQ(Stream->Read(Got.data(), 6000), 5000);
    Got.resize(5000);
    EXPECT_EQ(Got, Content);
    EXPECT_EQ(Stream->Read(Got.data(), 1), 0);

    std::unique_ptr<TStream> Deflated = Archive.Zip.Read(u"d", Local);
    EXPECT_EQ(Deflated->Size(), 5000);
    EXPECT_EQ(Deflated->Position(), 0);
}

// Two entry streams of one reader read through the same file in turns.
TEST(ZipRead, InterleavedEntryStreams)
{
    const TBytes First = Sample(200000), Second = Sample(150000);
    for (const uint16_t Method : {ZipStored, ZipDeflated}) {
        TZipWriter Writer;
        Writer.Add("1", First, Method);
        Writer.Add("2", Second, Method);
        TOpenArchive Archive(Writer.Build());
        TZipHeader Local;
        auto A = Archive.Zip.Read(u"1", Local);
        auto B = Archive.Zip.Read(u"2", Local);
        TBytes GotA(First.size()), GotB(Second.size());
        for (size_t Done = 0; Done < First.size(); Done += 10000) {
            A->ReadBuffer(GotA.data() + Done, 10000);
            if (Done < Second.size())
                B->ReadBuffer(GotB.data() + Done, 10000);
            ReadWhole(Archive.Zip, u"1"); // moves the file too
        }
        EXPECT_EQ(GotA, First) << Method;
        EXPECT_EQ(GotB, Second) << Method;
    }
}

// Entries too large to hold, by stated size or by what inflating yields, are
// refused before they are held, and quickly.
TEST(ZipRead, EntriesLargerThanTheLimit)
{
    constexpr uint32_t Limit = Limits::ZipEntryBytes;
    ASSERT_EQ(Limit, 64u << 20);
    TZipWriter Writer;
    TZipWriterEntry& Declared = Writer.Add("declared", TBytes(), ZipDeflated);
    Declared.Data = DeflatedRun(1 << 20);
    Declared.CentralUncompressedSize = Declared.LocalUncompressedSize = 0xFFFFFFFF;
    TZipWriterEntry& JustOver = Writer.Add("over", TBytes(), ZipDeflated);
    JustOver.Data = DeflatedRun(uint64_t{Limit} + 1);
    JustOver.Flag = ZipBit3;
    TZipWriterEntry& StatedOver = Writer.Add("stated-over", TBytes(), ZipDeflated);
    StatedOver.Data = DeflatedRun(uint64_t{Limit} + 1);
    StatedOver.CentralUncompressedSize = StatedOver.LocalUncompressedSize = Limit + 1;
    TZipWriterEntry& AtLimit = Writer.Add("at-limit", TBytes(), ZipDeflated);
    AtLimit.Data = DeflatedRun(Limit);
    AtLimit.Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());

    for (const std::u16string Name : {u"declared", u"over", u"stated-over"}) {
        EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, Name); }), "Error reading zip file") << Utf8(Name);
        // A caller's larger limit does not lift the entry limit.
        EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, Name, 0xFFFFFFFF); }), "Error reading zip file")
            << Utf8(Name);
    }
    const TBytes Whole = ReadWhole(Archive.Zip, u"at-limit");
    ASSERT_EQ(Whole.size(), Limit);
    EXPECT_EQ(std::count(Whole.begin(), Whole.end(), 0), static_cast<std::ptrdiff_t>(Limit));
}

// A caller's own limit holds for stated sizes and for what inflating yields.
TEST(ZipRead, EntriesLargerThanTheCallersLimit)
{
    const TBytes Content = Sample(1000);
    TZipWriter Writer;
    Writer.Add("stored", Content, ZipStored);
    Writer.Add("deflated", Content, ZipDeflated);
    Writer.Add("bit3", Content, ZipDeflated).Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    for (const std::u16string Name : {u"stored", u"deflated", u"bit3"}) {
        EXPECT_EQ(ReadWhole(Archive.Zip, Name, 1000), Content) << Utf8(Name);
        EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, Name, 999); }), "Error reading zip file")
            << Utf8(Name);
    }
}

// A stated size the rest of the file cannot yield is refused without
// allocating it: stored data is bounded by the file, deflate data by its
// best ratio.
TEST(ZipRead, StatedSizesTheFileCannotHold)
{
    TZipWriter Writer;
    Writer.Add("stored", "abc").CentralUncompressedSize = 100000;
    TZipWriterEntry& Deflated = Writer.Add("deflated", "abc", ZipDeflated);
    Deflated.CentralUncompressedSize = 200u << 20;
    Deflated.LocalUncompressedSize = 3;
    // 16 MiB of zeros come from about 16 KiB: near deflate's best ratio, yet real.
    TZipWriterEntry& Dense = Writer.Add("dense", TBytes(), ZipDeflated);
    Dense.Data = DeflatedRun(16u << 20);
    Dense.CentralUncompressedSize = Dense.LocalUncompressedSize = 16u << 20;
    TOpenArchive Archive(Writer.Build());
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, u"stored"); }), "Error reading zip file");
    EXPECT_EQ(FailureOf<EZipException>([&] { ReadWhole(Archive.Zip, u"deflated"); }), "Error reading zip file");
    EXPECT_EQ(ReadWhole(Archive.Zip, u"dense"), TBytes(16u << 20));
}

// The size a stream reader may size its buffer by: the stated one, unless
// the file could not hold it or nothing could read the entry.
TEST(ZipRead, StatedSizeHints)
{
    TZipWriter Writer;
    Writer.Add("fair", std::string(500, 'f'), ZipDeflated);
    Writer.Add("stored-over", "abc").CentralUncompressedSize = 100000;
    Writer.Add("deflated-over", "abc", ZipDeflated).CentralUncompressedSize = 200u << 20;
    Writer.Add("method-12", std::string(10, 'x'), 12).Data = Bytes(std::string(10, 'x'));
    TOpenArchive Archive(Writer.Build());
    const struct {
        const char16_t* Name;
        uint64_t Stated;
    } Cases[] = {{u"fair", 500}, {u"stored-over", 0}, {u"deflated-over", 0}, {u"method-12", 0}, {u"missing", 0}};
    for (const auto& Case : Cases)
        EXPECT_EQ(Archive.Zip.StatedSize(Case.Name), Case.Stated) << Utf8(Case.Name);
    Archive.Zip.Close();
    EXPECT_EQ(Archive.Zip.StatedSize(u"fair"), 0u);
}

}

namespace {

// What a read of the whole entry gives: its bytes, or the message it fails with.
template <class TRead>
std::string Outcome(TRead Read)
{
    try {
        const TBytes Bytes = Read();
        return std::string(Bytes.begin(), Bytes.end());
    } catch (const Exception& Error) {
        return "raised: " + Error.Message();
    }
}

// The entry through ReadStream as a picture decoder reads it: four bytes to
// know its kind, back to the start, then pieces to the end.
TBytes ReadAsStream(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget)
{
    const std::unique_ptr<TStream> Stream = Zip.ReadStream(Name, Limit, Budget);
    if (!Stream)
        throw EZipException("no stream");
    uint8_t Signature[4];
    Stream->Read(Signature, 4);
    Stream->SetPosition(0);
    TBytes Bytes(static_cast<size_t>(Stream->Size()));
    for (size_t At = 0; At < Bytes.size();) {
        const int64_t Got = Stream->Read(Bytes.data() + At, std::min<int64_t>(1000, Bytes.size() - At));
        if (Got <= 0)
            throw EZipException("ended before its size");
        At += static_cast<size_t>(Got);
    }
    EXPECT_EQ(Stream->Read(Bytes.data(), 1), 0);
    return Bytes;
}

}

// An entry read as a stream gives what the whole read gives, and fails where
// it fails; only an entry whose sizes follow its data has no stream.
TEST(ZipRead, EntryStreamsGiveWhatReadGives)
{
    const TBytes Content = Sample(300000);
    TZipWriter Writer;
    Writer.Add("stored", Sample(70000), ZipStored);
    Writer.Add("deflated", Content, ZipDeflated);
    Writer.Add("local-smaller", "abcdef", ZipDeflated).LocalUncompressedSize = 4;
    Writer.Add("ending-early", Content, ZipDeflated).Data = RawDeflate(TBytes(Content.begin(), Content.begin() + 5000));
    Writer.Add("corrupt", Sample(100), ZipDeflated).Data = Bytes("\xFF\xFF\xFF\xFF\xFF\xFF");
    Writer.Add("unholdable", "abc").CentralUncompressedSize = 100000;
    Writer.Add("bit3", Content, ZipDeflated).Flag = ZipBit3;
    TOpenArchive Archive(Writer.Build());
    for (const std::u16string Name :
         {u"stored", u"deflated", u"local-smaller", u"ending-early", u"corrupt", u"unholdable", u"missing"}) {
        for (const uint32_t Limit : {Limits::CoverPictureBytes, uint32_t{50000}}) {
            TReadBudget Whole(Limits::RequestReadBytes), Streamed(Limits::RequestReadBytes);
            EXPECT_EQ(Outcome([&] { return ReadAsStream(Archive.Zip, Name, Limit, Streamed); }),
                      Outcome([&] { return Archive.Zip.Read(Name, Limit, Whole); }))
                << Utf8(Name) << " within " << Limit;
        }
    }
    TReadBudget Budget(Limits::RequestReadBytes);
    EXPECT_EQ(Archive.Zip.ReadStream(u"bit3", Limits::CoverPictureBytes, Budget), nullptr);
}

// Every byte that comes out is charged, also when the start is read again,
// and a budget that runs out ends the read.
TEST(ZipRead, EntryStreamsChargeTheBudget)
{
    TZipWriter Writer;
    Writer.Add("deflated", Sample(100000), ZipDeflated);
    TOpenArchive Archive(Writer.Build());
    TReadBudget Budget(Limits::RequestReadBytes);
    ReadAsStream(Archive.Zip, u"deflated", Limits::CoverPictureBytes, Budget);
    EXPECT_EQ(Limits::RequestReadBytes - Budget.Left(), 100004u);
    // Enough for the entry once, but not for its first bytes again.
    TReadBudget Short(100002);
    EXPECT_EQ(Outcome([&] { return ReadAsStream(Archive.Zip, u"deflated", Limits::CoverPictureBytes, Short); }),
              "raised: Error reading zip file");
}
