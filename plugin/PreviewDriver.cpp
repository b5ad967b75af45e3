#include "plugin/PreviewDriver.h"

#include <memory>

#include "core/MemoryStream.h"
#include "core/Strings.h"
#include "epub/EpubCover.h"
#include "fb2/FB2Cover.h"
#include "fb2/XMLDocument.h"
#include "fb2/ZipFB2.h"
#include "mobi/MobiUnit.h"
#include "platform/CodePages.h"
#include "plugin/FallbackRoutes.h"
#include "render/Thumbnail.h"
#include "zip/ZipFile.h"

namespace {

constexpr size_t LongPathThreshold = 260;

// The picture bytes stay alive until the stream over them is gone.
template <typename TContainer>
platform::TBitmapHandle HandOff(const TContainer& Picture, int32_t Width, int32_t Height)
{
    if (Picture.empty())
        return nullptr;
    TPointerReadOnlyStream Stream(Picture.data(), static_cast<intptr_t>(Picture.size()));
    return MakeThumbnail(Stream, Width, Height);
}

IXMLDocument LoadPlainFB2(const std::u16string& AccessPath)
{
    if (AccessPath.find(u"\\\\?\\") == std::u16string::npos)
        return OpenXMLDocument(AccessPath);
    IXMLDocument Document = NewXMLDocument();
    if (Document)
        SetXMLTextFromFile(Document, AccessPath);
    return Document;
}

platform::TBitmapHandle ArchiveRoute(const std::u16string& AccessPath, const std::u16string& Key, int32_t Width,
                                     int32_t Height, const TPluginSettings& Settings)
{
    if (Settings.RestrictToFB2ZIP && Key == u".zip" && !PassesFB2ZipFilter(AccessPath))
        return nullptr;
    if (!TZipFile::IsValid(AccessPath))
        return nullptr;
    IXMLDocument Document;
    {
        TZipFile Zip;
        Zip.Open(AccessPath, zmRead);
        if (Settings.CoverFallbacks)
            return ArchiveWithFallbacks(Zip, Key, Width, Height);
        if (Key == u".epub")
            return HandOff(ExtractEpubCover(Zip), Width, Height);
        std::unique_ptr<TStream> EntryStream;
        Document = LoadFB2EntryDocument(Zip, EntryStream);
        // The entry stream goes before the archive it reads from.
    }
    if (!Document)
        return nullptr;
    return HandOff(ExtractFB2Cover(std::move(Document)), Width, Height);
}

}

TRoute ChooseRoute(const std::u16string& Key)
{
    for (const char16_t* Mobi : {u".mobi", u".azw", u".azw3", u".azw4", u".kf8"})
        if (Key == Mobi)
            return TRoute::Mobipocket;
    for (const char16_t* Zipped : {u".fbz", u".fb2z", u".zfb2", u".zip"})
        if (Key == Zipped)
            return TRoute::ZippedFB2;
    if (Key == u".epub")
        return TRoute::Epub;
    return TRoute::PlainFB2;
}

std::u16string MakeLongPath(const std::u16string& Name)
{
    if (Name.size() < LongPathThreshold || Name.find(u"\\\\?\\") != std::u16string::npos)
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
        switch (ChooseRoute(Key)) {
        case TRoute::Mobipocket: {
            if (Settings.CoverFallbacks)
                return MobiWithFallbacks(AccessPath, Width, Height, Settings);
            TBytes Cover;
            ExtractMobiCover(AccessPath, Settings.MobiAllowFirstPic, Cover);
            return HandOff(Cover, Width, Height);
        }
        case TRoute::ZippedFB2:
        case TRoute::Epub:
            return ArchiveRoute(AccessPath, Key, Width, Height, Settings);
        case TRoute::PlainFB2: {
            IXMLDocument Document = LoadPlainFB2(AccessPath);
            if (!Document)
                return nullptr;
            if (Settings.CoverFallbacks)
                return FB2WithFallbacks(std::move(Document), Width, Height);
            return HandOff(ExtractFB2Cover(std::move(Document)), Width, Height);
        }
        }
    } catch (...) {
        // Every failure of a request ends in no preview.
    }
    return nullptr;
}
