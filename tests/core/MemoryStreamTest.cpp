#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "core/Exceptions.h"
#include "core/MemoryStream.h"

namespace {

std::vector<uint8_t> Block(size_t Size)
{
    std::vector<uint8_t> Bytes(Size);
    for (size_t I = 0; I < Size; ++I)
        Bytes[I] = static_cast<uint8_t>(I);
    return Bytes;
}

void ExpectReadError(TStream& Stream, void* Buffer, int64_t Count)
{
    try {
        Stream.ReadBuffer(Buffer, Count);
        FAIL() << "ReadBuffer succeeded";
    } catch (const EReadError& Error) {
        EXPECT_STREQ(Error.what(), "Stream read error");
    }
}

TEST(PointerReadOnlyStream, EmptyBlock)
{
    TPointerReadOnlyStream Stream(nullptr, 0);
    uint8_t Byte = 0;
    EXPECT_EQ(Stream.Size(), 0);
    EXPECT_EQ(Stream.Read(&Byte, 1), 0);
    Stream.ReadBuffer(&Byte, 0);
    ExpectReadError(Stream, &Byte, 1);
}

TEST(PointerReadOnlyStream, ReadsStopAtTheEnd)
{
    const auto Bytes = Block(100);
    TPointerReadOnlyStream Stream(Bytes.data(), 100);
    uint8_t Buffer[10] = {};
    Stream.SetPosition(95);
    EXPECT_EQ(Stream.Read(Buffer, 10), 5);
    EXPECT_EQ(Buffer[0], 95);
    EXPECT_EQ(Buffer[4], 99);
    EXPECT_EQ(Stream.Position(), 100);

    std::memset(Buffer, 0, sizeof Buffer);
    Stream.SetPosition(95);
    ExpectReadError(Stream, Buffer, 10);
    EXPECT_EQ(Buffer[4], 99) << "the available bytes are copied before the failure";
    EXPECT_EQ(Stream.Position(), 100);
}

TEST(PointerReadOnlyStream, PositionsAreNeverClamped)
{
    const auto Bytes = Block(100);
    TPointerReadOnlyStream Stream(Bytes.data(), 100);
    uint8_t Byte = 0;
    EXPECT_EQ(Stream.Seek(-5, soBeginning), -5);
    EXPECT_EQ(Stream.Position(), -5);
    EXPECT_EQ(Stream.Read(&Byte, 1), 0);
    EXPECT_EQ(Stream.Seek(10, soEnd), 110);
    EXPECT_EQ(Stream.Read(&Byte, 1), 0);
    Stream.SetPosition(8);
    EXPECT_EQ(Stream.Seek(4, soCurrent), 12);
    EXPECT_EQ(Stream.Read(&Byte, -3), 0) << "a negative count reads nothing";
    Stream.ReadBuffer(&Byte, -3);
    EXPECT_EQ(Stream.Position(), 12);
}

TEST(PointerReadOnlyStream, SizeLeavesThePosition)
{
    const auto Bytes = Block(100);
    TPointerReadOnlyStream Stream(Bytes.data(), 100);
    Stream.SetPosition(7);
    EXPECT_EQ(Stream.Size(), 100);
    EXPECT_EQ(Stream.Position(), 7);
    Stream.SetSize(0);
    EXPECT_EQ(Stream.Size(), 100);
    EXPECT_THROW(Stream.SetSize(int64_t(std::numeric_limits<int32_t>::max()) + 1), ERangeError);
}

TEST(PointerReadOnlyStream, IsReadOnlyAndNeverOwnsTheBlock)
{
    auto Bytes = Block(16);
    const auto Original = Bytes;
    {
        TPointerReadOnlyStream Stream(Bytes.data(), 16);
        const uint8_t Data[4] = {9, 9, 9, 9};
        try {
            Stream.Write(Data, 4);
            FAIL() << "Write succeeded";
        } catch (const EAbstractError& Error) {
            EXPECT_STREQ(Error.what(), "Abstract Error");
        }
        EXPECT_THROW(Stream.WriteBuffer(Data, 4), EAbstractError);
        EXPECT_EQ(Stream.Memory(), Bytes.data());
    }
    EXPECT_EQ(Bytes, Original);
}

TEST(PointerReadOnlyStream, SetPointerKeepsThePosition)
{
    const auto First = Block(20), Second = Block(40);
    TPointerReadOnlyStream Stream(First.data(), 20);
    Stream.SetPosition(12);
    Stream.SetPointer(Second.data(), 40);
    EXPECT_EQ(Stream.Position(), 12);
    EXPECT_EQ(Stream.Size(), 40);
    uint8_t Byte = 0;
    Stream.ReadBuffer(&Byte, 1);
    EXPECT_EQ(Byte, 12);
}

}
