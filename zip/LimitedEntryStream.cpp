#include "zip/LimitedEntryStream.h"

#include "zip/ZipErrors.h"
#include "zip/ZipFile.h"

int64_t TLimitedEntryStream::Read(void* Buffer, int64_t Count)
{
    const int64_t Got = FEntry.Read(Buffer, Count);
    if (Got > 0)
        FDone += Got;
    if (FDone > FLimit)
        throw EZipException(SZipReadError);
    return Got;
}

int64_t TLimitedEntryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    if (Offset == 0 && Origin == soCurrent)
        return FDone;
    throw EZipException(SZipReadError);
}
