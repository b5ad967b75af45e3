#include <gtest/gtest.h>

#include "core/MemoryStream.h"
#include "tests/support/ZipWriter.h"
#include "tests/zip/ZipTestSupport.h"
#include "zip/StoredStream.h"
#include "zip/ZDecompressionStream.h"

namespace {

TBytes Counting(size_t Size)
{
    TBytes Data(Size);
    for (size_t I = 0; I < Size; ++I)
        Data[I] = static_cast<uint8_t>(I * 7 + I / 251);
    return Data;
}

// Deflate data between other bytes, as it stands in an archive.
struct TDeflateFixture {
    explicit TDeflateFixture(size_t Size) : Content(Counting(Size))
    {
        Archive = Bytes("HEAD");
        const TBytes Deflated = RawDeflate(Content);
        Archive.insert(Archive.end(), Deflated.begin(), Deflated.end());
        DeflateEnd = static_cast<int64_t>(Archive.size());
        const TBytes Tail = Bytes("TAIL-BYTES");
        Archive.insert(Archive.end(), Tail.begin(), Tail.end());
        Source.SetPointer(Archive.data(), static_cast<intptr_t>(Archive.size()));
        Source.Seek(4, soBeginning);
    }
    TBytes Content, Archive;
    int64_t DeflateEnd = 0;
    TPointerReadOnlyStream Source{nullptr, 0};
};

TBytes ReadAll(TStream& Stream, int64_t Count)
{
    TBytes Out(static_cast<size_t>(Count));
    Out.resize(static_cast<size_t>(Stream.Read(Out.data(), Count)));
    return Out;
}

TEST(ZDecompressionStream, ReadsToTheEndOfTheDeflateData)
{
    TDeflateFixture Fixture(100000);
    TZDecompressionStream Stream(Fixture.Source);
    EXPECT_EQ(ReadAll(Stream, 200000), Fixture.Content);
    EXPECT_EQ(Stream.Position(), 100000);
    // What inflate took but did not use is given back.
    EXPECT_EQ(Fixture.Source.Position(), Fixture.DeflateEnd);
    EXPECT_EQ(ReadAll(Stream, 10).size(), 0u);
}

TEST(ZDecompressionStream, Seeking)
{
    TDeflateFixture Fixture(50000);
    const TBytes& Content = Fixture.Content;
    TZDecompressionStream Stream(Fixture.Source);
    EXPECT_EQ(Stream.Seek(1000, soCurrent), 1000);
    EXPECT_EQ(ReadAll(Stream, 10), TBytes(Content.begin() + 1000, Content.begin() + 1010));
    EXPECT_EQ(Stream.Seek(20000, soBeginning), 20000);
    EXPECT_EQ(ReadAll(Stream, 5), TBytes(Content.begin() + 20000, Content.begin() + 20005));
    // The size keeps the position.
    EXPECT_EQ(Stream.Size(), 50000);
    EXPECT_EQ(Stream.Position(), 20005);
    EXPECT_EQ(ReadAll(Stream, 5), TBytes(Content.begin() + 20005, Content.begin() + 20010));
    // Backwards inflates again from the start.
    EXPECT_EQ(Stream.Seek(7, soBeginning), 7);
    EXPECT_EQ(ReadAll(Stream, 3), TBytes(Content.begin() + 7, Content.begin() + 10));
    EXPECT_EQ(Stream.Seek(0, soBeginning), 0);
    EXPECT_EQ(ReadAll(Stream, 50000), Content);
    EXPECT_EQ(Stream.Seek(0, soEnd), 50000);
    // Past the end is a short skip.
    Stream.Seek(0, soBeginning);
    EXPECT_EQ(FailureOf<EReadError>([&] { Stream.Seek(50001, soCurrent); }), "Stream read error");
}

TEST(ZDecompressionStream, UnsupportedOperations)
{
    TDeflateFixture Fixture(1000);
    TZDecompressionStream Stream(Fixture.Source);
    Stream.Seek(10, soCurrent);
    const uint8_t Byte = 0;
    for (const auto& Operation : std::vector<std::function<void()>>{
             [&] { Stream.Seek(-1, soCurrent); },
             [&] { Stream.Seek(-1, soEnd); },
             [&] { Stream.Seek(5, soEnd); },
             [&] { Stream.Seek(-3, soBeginning); },
             [&] { Stream.Write(&Byte, 1); },
         })
        EXPECT_EQ(FailureOf<EZDecompressionError>(Operation), "Invalid ZStream operation!");
    EXPECT_EQ(Stream.Position(), 10);
}

TEST(ZDecompressionStream, TruncatedDataIsAShortRead)
{
    TDeflateFixture Fixture(100000);
    const TBytes Cut(Fixture.Archive.begin() + 4, Fixture.Archive.begin() + 4 + 200);
    TPointerReadOnlyStream Source(Cut.data(), static_cast<intptr_t>(Cut.size()));
    TZDecompressionStream Stream(Source);
    const TBytes Got = ReadAll(Stream, 100000);
    ASSERT_GT(Got.size(), 0u);
    ASSERT_LT(Got.size(), 100000u);
    EXPECT_TRUE(std::equal(Got.begin(), Got.end(), Fixture.Content.begin()));
}

TEST(ZDecompressionStream, FollowsTheSourceWhenItWasMoved)
{
    TDeflateFixture Fixture(300000);
    TZDecompressionStream Stream(Fixture.Source);
    TBytes Got;
    while (Got.size() < Fixture.Content.size()) {
        const TBytes Part = ReadAll(Stream, 30000);
        ASSERT_FALSE(Part.empty());
        Got.insert(Got.end(), Part.begin(), Part.end());
        Fixture.Source.Seek(1, soBeginning);
    }
    EXPECT_EQ(Got, Fixture.Content);
}

TEST(StoredStream, WindowOfTheSource)
{
    const TBytes Archive = Bytes("headerPAYLOADtrailer");
    TPointerReadOnlyStream Source(Archive.data(), static_cast<intptr_t>(Archive.size()));
    Source.Seek(6, soBeginning);
    TStoredStream Stream(Source, 7);
    EXPECT_EQ(Stream.Size(), 7);
    EXPECT_EQ(ReadAll(Stream, 3), Bytes("PAY"));
    Source.Seek(0, soBeginning);
    EXPECT_EQ(ReadAll(Stream, 100), Bytes("LOAD"));
    EXPECT_EQ(ReadAll(Stream, 1).size(), 0u);
    EXPECT_EQ(Stream.Seek(-4, soEnd), 3);
    EXPECT_EQ(ReadAll(Stream, 2), Bytes("LO"));
    EXPECT_EQ(Stream.Seek(1, soBeginning), 1);
    EXPECT_EQ(ReadAll(Stream, 1), Bytes("A"));
    Stream.Seek(-100, soCurrent);
    EXPECT_EQ(ReadAll(Stream, 1).size(), 0u);
}

}
