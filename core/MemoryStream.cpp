#include "core/MemoryStream.h"

#include <cstring>
#include <limits>

#include "core/Exceptions.h"

namespace {
// Pointer-width addition that wraps instead of overflowing.
intptr_t WrapAdd(intptr_t A, int64_t B)
{
    return static_cast<intptr_t>(static_cast<uintptr_t>(A) + static_cast<uintptr_t>(B));
}
}

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count)
{
    if (FPosition < 0 || Count < 0)
        return 0;
    int64_t Available = static_cast<int64_t>(FSize) - FPosition;
    if (Available <= 0)
        return 0;
    if (Count < Available)
        Available = Count;
    std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(Available));
    FPosition += static_cast<intptr_t>(Available);
    return Available;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    switch (Origin) {
    case soBeginning: FPosition = static_cast<intptr_t>(Offset); break;
    case soCurrent: FPosition = WrapAdd(FPosition, Offset); break;
    case soEnd: FPosition = WrapAdd(FSize, Offset); break;
    }
    return FPosition;
}

void TCustomMemoryStream::SetSize(int64_t NewSize)
{
    if (NewSize < std::numeric_limits<int32_t>::min() || NewSize > std::numeric_limits<int32_t>::max())
        throw ERangeError(SRangeError);
}

void TCustomMemoryStream::SaveToStream(TStream& Stream)
{
    if (FSize != 0)
        Stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SetPointer(const void* Ptr, intptr_t Size)
{
    FMemory = static_cast<const uint8_t*>(Ptr);
    FSize = Size;
}

TPointerReadOnlyStream::TPointerReadOnlyStream(const void* P, intptr_t Size)
{
    SetPointer(P, Size);
    SetPosition(0);
}
