#include "plugin/CoverTrial.h"

#include <utility>

#include "core/MemoryStream.h"
#include "render/Thumbnail.h"

TCoverTrial::TCoverTrial(int32_t Width, int32_t Height, TCutShort CutShort)
    : FWidth(Width), FHeight(Height), FCutShort(CutShort),
      FTaker([this](const uint8_t* Data, size_t Size) { return Offer(Data, Size); },
             [this](TStream& Picture) { return Offer(Picture); })
{
}

TCoverTrial::~TCoverTrial()
{
    if (FResult)
        platform::DeleteDib(FResult);
}

platform::TBitmapHandle TCoverTrial::Release() { return std::exchange(FResult, nullptr); }

bool TCoverTrial::Offer(const uint8_t* Data, size_t Size)
{
    if (Size == 0)
        return FResult != nullptr;
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    return Offer(Stream);
}

bool TCoverTrial::Offer(TStream& Picture)
{
    if (!FResult)
        FResult = MakeThumbnail(Picture, FWidth, FHeight, FCutShort);
    return FResult != nullptr;
}
