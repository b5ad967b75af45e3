#include "core/StreamWindow.h"

#include <algorithm>

int64_t TStreamWindow::Read(void* Buffer, int64_t Count)
{
    if (Count <= 0 || FPosition < 0 || FPosition >= FSize)
        return 0;
    FBase.SetPosition(FOffset + FPosition);
    const int64_t Copied = FBase.Read(Buffer, std::min(Count, FSize - FPosition));
    FPosition += Copied;
    return Copied;
}

int64_t TStreamWindow::Seek(int64_t Offset, TSeekOrigin Origin)
{
    switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = FSize + Offset; break;
    }
    return FPosition;
}
