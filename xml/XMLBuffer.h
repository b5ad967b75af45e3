#pragma once

#include <cstddef>

#include "core/Stream.h"

// A block of characters allocated with pugixml's allocator, so that the
// parser can take it over and parse it in place.
class TXMLBuffer {
public:
    TXMLBuffer() = default;
    explicit TXMLBuffer(size_t Capacity);
    ~TXMLBuffer();
    TXMLBuffer(TXMLBuffer&& Other) noexcept;
    TXMLBuffer& operator=(TXMLBuffer&& Other) noexcept;
    TXMLBuffer(const TXMLBuffer&) = delete;
    TXMLBuffer& operator=(const TXMLBuffer&) = delete;

    char* Data() const { return FData; }
    size_t Size() const { return FSize; }
    size_t Capacity() const { return FCapacity; }
    bool Empty() const { return FSize == 0; }
    void SetSize(size_t Size);
    // Keeps the content; the capacity becomes at least NewCapacity.
    void Reserve(size_t NewCapacity);
    // Hands the block to the caller, who frees it with pugixml's deallocator.
    char* Release();

private:
    char* FData = nullptr;
    size_t FSize = 0;
    size_t FCapacity = 0;
};

// Says whether the bytes read so far, Size of them at Data, already hold all
// that matters; the bytes from From on arrived with the last read.
using TEnoughRead = bool (*)(const char* Data, size_t Size, size_t From);

// How many bytes Stream claims to hold from its position on, as far as a
// first allocation trusts a claim (Limits::XMLTrustedBytes); 0 for none.
size_t ClaimedTextBytes(TStream& Stream);

// Reads up to Want more bytes of Stream onto the end of Buffer. A full buffer
// is first probed for one more byte and, when there is one, grows to twice
// its capacity or GrowTo, whichever is more, within Limits::XMLTextBytes.
// TextBytes counts the bytes read: more than Limits::XMLTextBytes raises
// EReadError. False at the end of the stream.
bool ReadMoreOfStream(TStream& Stream, TXMLBuffer& Buffer, size_t Want, size_t GrowTo, size_t& TextBytes);

// Every byte of Stream from its position to its end, or until Enough says
// so. The stream's size is only a hint: a stream that claims more than it
// gives costs a bounded allocation, and one that gives more is read to its end.
// More than Limits::XMLTextBytes raises EReadError.
TXMLBuffer ReadStreamToEnd(TStream& Stream, TEnoughRead Enough = nullptr);
