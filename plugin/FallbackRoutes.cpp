#include "plugin/FallbackRoutes.h"

#include <utility>

#include "core/CoverCandidate.h"
#include "core/MemoryStream.h"
#include "epub/EpubCover.h"
#include "epub/EpubCoverFallbacks.h"
#include "fb2/FB2CoverFallbacks.h"
#include "mobi/MobiCoverFallbacks.h"
#include "mobi/MobiUnit.h"
#include "render/Thumbnail.h"

namespace {

// Holds the thumbnail of the first candidate that gives one, until it is
// released to the host; a way out by an exception deletes it.
class TCoverTrial {
public:
    TCoverTrial(int32_t Width, int32_t Height)
        : FWidth(Width), FHeight(Height),
          FTaker([this](const uint8_t* Data, size_t Size) { return Offer(Data, Size); })
    {
    }
    ~TCoverTrial()
    {
        if (FResult)
            platform::DeleteDib(FResult);
    }
    TCoverTrial(const TCoverTrial&) = delete;
    TCoverTrial& operator=(const TCoverTrial&) = delete;

    bool Offer(const uint8_t* Data, size_t Size)
    {
        if (FResult || Size == 0)
            return FResult != nullptr;
        TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
        FResult = MakeThumbnail(Stream, FWidth, FHeight);
        return FResult != nullptr;
    }
    bool Offer(const TBytes& Bytes) { return Offer(Bytes.data(), Bytes.size()); }
    const TCoverCandidateTaker& Taker() const { return FTaker; }
    platform::TBitmapHandle Release() { return std::exchange(FResult, nullptr); }

private:
    int32_t FWidth, FHeight;
    TCoverCandidateTaker FTaker;
    platform::TBitmapHandle FResult = nullptr;
};

}

platform::TBitmapHandle MobiWithFallbacks(const std::u16string& AccessPath, int32_t Width, int32_t Height,
                                          const TPluginSettings& Settings)
{
    TCoverTrial Trial(Width, Height);
    const std::unique_ptr<TPalmPDB> Database = TPalmPDB::CreateReadOnly(AccessPath);
    {
        // The first picture comes after the thumbnail record, so the cover
        // lookup runs without it.
        TBytes Cover;
        ExtractMobiCover(*Database, false, Cover);
        if (Trial.Offer(Cover))
            return Trial.Release();
    }
    OfferMobiFallbackCovers(*Database, Settings.MobiAllowFirstPic, Trial.Taker());
    return Trial.Release();
}

platform::TBitmapHandle ArchiveWithFallbacks(TZipFile& Zip, const std::u16string& Key, int32_t Width, int32_t Height)
{
    TCoverTrial Trial(Width, Height);
    if (Key != u".epub") {
        OfferZippedFB2Covers(Zip, Trial.Taker());
        return Trial.Release();
    }
    try {
        if (Trial.Offer(ExtractEpubCover(Zip)))
            return Trial.Release();
    } catch (const Exception&) {
        // A cover entry that is missing or damaged leaves the other ways.
    }
    OfferEpubFallbackCovers(Zip, Trial.Taker());
    return Trial.Release();
}

platform::TBitmapHandle FB2WithFallbacks(IXMLDocument Document, int32_t Width, int32_t Height)
{
    TCoverTrial Trial(Width, Height);
    OfferFB2DocumentCovers(std::move(Document), Trial.Taker());
    return Trial.Release();
}
