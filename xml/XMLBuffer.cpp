#include "xml/XMLBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include <pugixml.hpp>

#include "core/Exceptions.h"
#include "core/Limits.h"
#include "platform/Memory.h"

namespace {

constexpr size_t MinCapacity = 4096;

// A block this large is a book's whole text, read into it at once.
constexpr size_t LargeBlock = size_t{4} << 20;

}

TXMLBuffer::TXMLBuffer(size_t Capacity)
{
    Reserve(Capacity);
}

TXMLBuffer::~TXMLBuffer()
{
    if (FData)
        pugi::get_memory_deallocation_function()(FData);
}

TXMLBuffer::TXMLBuffer(TXMLBuffer&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)), FSize(std::exchange(Other.FSize, 0)),
      FCapacity(std::exchange(Other.FCapacity, 0))
{
}

TXMLBuffer& TXMLBuffer::operator=(TXMLBuffer&& Other) noexcept
{
    if (this != &Other) {
        TXMLBuffer Gone(std::move(*this));
        FData = std::exchange(Other.FData, nullptr);
        FSize = std::exchange(Other.FSize, 0);
        FCapacity = std::exchange(Other.FCapacity, 0);
    }
    return *this;
}

void TXMLBuffer::SetSize(size_t Size)
{
    if (Size > FCapacity)
        Reserve(Size);
    FSize = Size;
}

void TXMLBuffer::Reserve(size_t NewCapacity)
{
    if (NewCapacity <= FCapacity)
        return;
    auto* NewData = static_cast<char*>(pugi::get_memory_allocation_function()(NewCapacity));
    if (!NewData)
        throw std::bad_alloc();
    if (NewCapacity >= LargeBlock)
        platform::AdviseLargeBlock(NewData, NewCapacity);
    if (FSize)
        std::memcpy(NewData, FData, FSize);
    if (FData)
        pugi::get_memory_deallocation_function()(FData);
    FData = NewData;
    FCapacity = NewCapacity;
}

char* TXMLBuffer::Release()
{
    FSize = 0;
    FCapacity = 0;
    return std::exchange(FData, nullptr);
}

size_t ClaimedTextBytes(TStream& Stream)
{
    const int64_t Claimed = Stream.Size() - Stream.Position();
    return Claimed <= 0 ? 0 : static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(Claimed), Limits::XMLTrustedBytes));
}

bool ReadMoreOfStream(TStream& Stream, TXMLBuffer& Buffer, size_t Want, size_t GrowTo, size_t& TextBytes)
{
    const size_t Size = Buffer.Size();
    if (Size == Buffer.Capacity()) {
        // A full buffer may hold the whole stream: probe before growing.
        char Probe;
        if (Stream.Read(&Probe, 1) <= 0)
            return false;
        if (TextBytes >= Limits::XMLTextBytes)
            throw EReadError(SReadError);
        Buffer.Reserve(std::min(std::max(Buffer.Capacity() * 2, GrowTo), Limits::XMLTextBytes));
        Buffer.Data()[Size] = Probe;
        Buffer.SetSize(Size + 1);
        ++TextBytes;
        return true;
    }
    const int64_t Got = Stream.Read(Buffer.Data() + Size, static_cast<int64_t>(std::min(Want, Buffer.Capacity() - Size)));
    if (Got <= 0)
        return false;
    TextBytes += static_cast<size_t>(Got);
    if (TextBytes > Limits::XMLTextBytes)
        throw EReadError(SReadError);
    Buffer.SetSize(Size + static_cast<size_t>(Got));
    return true;
}

TXMLBuffer ReadStreamToEnd(TStream& Stream, TEnoughRead Enough)
{
    const size_t Expected = ClaimedTextBytes(Stream);
    TXMLBuffer Buffer(Expected < MinCapacity ? MinCapacity : Expected);
    size_t TextBytes = 0;
    for (;;) {
        const size_t From = Buffer.Size();
        if (!ReadMoreOfStream(Stream, Buffer, SIZE_MAX, 0, TextBytes))
            break;
        if (Enough && Enough(Buffer.Data(), Buffer.Size(), From))
            break;
    }
    return Buffer;
}
