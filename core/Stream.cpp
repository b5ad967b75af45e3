#include "core/Stream.h"

#include "core/Exceptions.h"

int64_t TStream::Write(const void*, int64_t) { throw EAbstractError(SAbstractError); }

int64_t TStream::GetSize()
{
    const int64_t Saved = Seek(0, soCurrent);
    const int64_t End = Seek(0, soEnd);
    Seek(Saved, soBeginning);
    return End;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* Buffer, int64_t Count)
{
    if (Count > 0 && ReadUpTo(*this, Buffer, Count) < Count)
        throw EReadError(SReadError);
}

int64_t ReadUpTo(TStream& Stream, void* Buffer, int64_t Count)
{
    auto* Out = static_cast<uint8_t*>(Buffer);
    int64_t Done = 0;
    while (Done < Count) {
        const int64_t Got = Stream.Read(Out + Done, Count - Done);
        if (Got <= 0)
            break;
        Done += Got;
    }
    return Done;
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count)
{
    if (Count <= 0)
        return;
    if (Write(Buffer, Count) != Count)
        throw EStreamError("Stream write error");
}
