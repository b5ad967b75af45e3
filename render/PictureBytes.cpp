#include "render/PictureBytes.h"

#include <cstdint>

#include "core/Exceptions.h"
#include "core/MemoryStream.h"

TPictureBytes::TPictureBytes(TStream& Stream)
{
    if (auto* Memory = dynamic_cast<TCustomMemoryStream*>(&Stream)) {
        const int64_t Size = Memory->Size();
        FData = Memory->Memory();
        FSize = Size > 0 && FData ? static_cast<size_t>(Size) : 0;
        return;
    }
    const int64_t Size = Stream.Size();
    if (Size < 0 || static_cast<uint64_t>(Size) > SIZE_MAX)
        throw EReadError(SReadError);
    FCopy.resize(static_cast<size_t>(Size));
    Stream.SetPosition(0);
    Stream.ReadBuffer(FCopy.data(), Size);
    FData = FCopy.data();
    FSize = FCopy.size();
}
