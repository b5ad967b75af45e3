#include "plugin/PreviewDriver.h"

#include <memory>

#include "core/FileStream.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"
#include "core/Strings.h"
#include "epub/EpubRoute.h"
#include "fb2/FB2Route.h"
#include "fb2/ZipFB2.h"
#include "mobi/MobiRoute.h"
#include "platform/CodePages.h"
#include "plugin/CoverTrial.h"

namespace {

constexpr size_t LongPathThreshold = 260;

bool IsExtendedLength(const std::u16string& AccessPath) { return AccessPath.find(u"\\\\?\\") != std::u16string::npos; }

}

bool OfferBookCovers(TStream& Book, const std::u16string& Key, TFB2Reading Reading, const TPluginSettings& Settings,
                     const TCoverCandidateTaker& Take)
{
    TReadBudget Budget(Limits::RequestReadBytes);
    const bool Fallbacks = Settings.CoverFallbacks;
    switch (ChooseRoute(Key)) {
    case TRoute::Mobipocket:
        return OfferMobiCovers(Book, Settings.MobiAllowFirstPic, Fallbacks, Budget, Take);
    case TRoute::ZippedFB2:
        return OfferZippedFB2BookCovers(Book, Fallbacks, Budget, Take);
    case TRoute::Epub:
        return OfferEpubCovers(Book, Fallbacks, Budget, Take);
    case TRoute::PlainFB2:
        return OfferPlainFB2Covers(Book, Reading, Fallbacks, Budget, Take);
    }
    return false;
}

platform::TBitmapHandle GetBookPreviewBitmap(TStream& Book, const std::u16string& Key, TFB2Reading Reading,
                                             int32_t Width, int32_t Height, const TPluginSettings& Settings)
{
    // With the fallbacks a picture cut short shows the rows that decoded.
    TCoverTrial Trial(Width, Height, Settings.CoverFallbacks ? csKeepRows : csRefuse);
    OfferBookCovers(Book, Key, Reading, Settings, Trial.Taker());
    return Trial.Release();
}

TRoute ChooseRoute(const std::u16string& Key)
{
    const TBookExtension* Extension = FindBookExtension(Key);
    return Extension ? Extension->Route : TRoute::PlainFB2;
}

std::u16string MakeLongPath(const std::u16string& Name)
{
    if (Name.size() < LongPathThreshold || IsExtendedLength(Name))
        return Name;
    if (Name.rfind(u"\\\\", 0) == 0)
        return u"\\\\?\\UNC\\" + Name.substr(2);
    return u"\\\\?\\" + Name;
}

std::u16string ExtensionKey(const std::u16string& FileName)
{
    std::u16string Key = ExtractFileExt(FileName);
    platform::LowerCase(Key);
    return Key;
}

platform::TBitmapHandle GetPreviewBitmap(const std::u16string& FileName, int32_t Width, int32_t Height,
                                         const TPluginSettings& Settings)
{
    try {
        const std::u16string AccessPath = MakeLongPath(FileName);
        const std::u16string Key = ExtensionKey(FileName);
        if (Settings.RestrictToFB2ZIP && Key == u".zip" && !PassesFB2ZipFilter(AccessPath))
            return nullptr;
        // Others may read the book meanwhile; none may write it.
        TFileStream Book(AccessPath, fsShareDenyWrite);
        return GetBookPreviewBitmap(Book, Key, IsExtendedLength(AccessPath) ? TFB2Reading::AsText : TFB2Reading::AsFile,
                                    Width, Height, Settings);
    } catch (...) {
        // Every failure of a request ends in no preview.
    }
    return nullptr;
}
