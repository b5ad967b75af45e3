#include "epub/EpubCoverFallbacks.h"

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/Limits.h"
#include "core/Strings.h"
#include "epub/CoverPage.h"
#include "epub/DataUri.h"
#include "epub/EpubCover.h"
#include "epub/EpubHref.h"
#include "epub/EpubPackageIndex.h"
#include "epub/NavLandmarks.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

std::u16string Wide(const std::string& Utf8) { return platform::MultiByteToWide(platform::cpUtf8, Utf8); }
std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

// How far an entry is followed: a picture is offered as it is; an SVG
// document stands for the largest raster picture it holds; a page for the
// one picture it shows.
enum TFollow { fwRaster, fwPicture, fwPage };

// A picture that a page or SVG document names: an entry, or a data: URI.
struct TPictureRef {
    bool Inline = false;
    std::string Value;
    bool operator==(const TPictureRef&) const = default;
};

class TFallbackSearch {
public:
    TFallbackSearch(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
        : FZip(Zip), FTake(Take), FBudget(Budget, Limits::EpubSearchBytes)
    {
    }

    bool Run()
    {
        ReadEncryptedEntries();
        std::string PackagePath;
        {
            const IXMLDocument Container = LoadEntry("META-INF/container.xml", Limits::EpubPackageBytes);
            PackagePath = Narrow(
                ChildElement(ChildElement(DocumentChildElement(Container, u"container"), u"rootfiles"), u"rootfile")
                    .Attribute(u"full-path"));
        }
        // The document's tree is gone before the first candidate is read.
        TPackageIndex Package;
        {
            const IXMLDocument Document =
                PackagePath.empty() ? nullptr : LoadEntry(PackagePath, Limits::EpubPackageBytes);
            if (!Document)
                return false;
            Package = IndexPackage(DocumentChildElement(Document, u"package"));
        }
        FFolder = EntryFolder(PackagePath);
        NoteMetaChainEntry(Package);
        return OfferSvgMetaChain(Package) || OfferCoverImageItems(Package) || OfferMetaHrefs(Package) ||
               OfferCoverPages(Package) || OfferLandmarks(Package) || OfferItemsNamedCover(Package) ||
               OfferFirstSpineItem(Package);
    }

private:
    std::optional<TBytes> Read(const std::string& Name, uint32_t Limit)
    {
        try {
            return FZip.Read(Wide(Name), Limit, FBudget);
        } catch (const Exception&) {
            return std::nullopt;
        }
    }

    IXMLDocument LoadEntry(const std::string& Name, uint32_t Limit)
    {
        const std::optional<TBytes> Bytes = Read(Name, Limit);
        return Bytes ? ParseLenientXML(Bytes->data(), Bytes->size()) : nullptr;
    }

    // Pages, pictures and the navigation document: each counts, whether it
    // is read or not.
    bool MayTry() { return FTries++ < Limits::EpubTries; }

    // encryption.xml names the entries it covers by URIs relative to the
    // archive's root, in <CipherReference URI="...">.
    void ReadEncryptedEntries()
    {
        const IXMLDocument Encryption = LoadEntry("META-INF/encryption.xml", Limits::EpubPackageBytes);
        if (!Encryption)
            return;
        Encryption->DocumentElement().ForEachElement([this](const IXMLNode& Node) {
            if (HasLocalName(Node, u"CipherReference"))
                if (const std::optional<std::string> Name = ResolveEpubHref("", Narrow(Node.Attribute(u"URI"))))
                    FEncrypted.insert(*Name);
            return true;
        });
    }

    // The last <meta name="cover"> and the last manifest child of its id:
    // the entry that the main path offered already.
    // Its position in Items, or none.
    std::optional<uint32_t> MetaChainItem(const TPackageIndex& Package) const
    {
        const size_t Metas = Package.CoverMetas.Count();
        if (Metas == 0 || Package.CoverMetas[Metas - 1].empty())
            return std::nullopt;
        const auto [First, End] = Package.WithId(Package.CoverMetas[Metas - 1]);
        return First == End ? std::nullopt : std::optional<uint32_t>(*std::prev(End));
    }

    void NoteMetaChainEntry(const TPackageIndex& Package)
    {
        const std::optional<uint32_t> Item = MetaChainItem(Package);
        if (Item && !Package.Hrefs[*Item].empty())
            FMetaChainEntry = Narrow(ResolveCoverEntryName(Wide(FFolder), Wide(std::string(Package.Hrefs[*Item]))));
    }

    // The marked cover is an SVG document that frames a raster picture.
    bool OfferSvgMetaChain(const TPackageIndex& Package)
    {
        const std::optional<uint32_t> Item = MetaChainItem(Package);
        return Item && Package.Items[*Item].IsSvg && OfferHref(FFolder, Package.Hrefs[*Item], fwPicture);
    }

    bool OfferCoverImageItems(const TPackageIndex& Package)
    {
        for (size_t Position = 0; Position < Package.Items.size(); ++Position)
            if (Package.Items[Position].IsItem && Package.Items[Position].CoverImage &&
                OfferHref(FFolder, Package.Hrefs[Position], fwPicture))
                return true;
        return false;
    }

    bool OfferMetaHrefs(const TPackageIndex& Package)
    {
        for (size_t Index = 0; Index < Package.CoverMetas.Count(); ++Index)
            if (OfferHref(FFolder, Package.CoverMetas[Index], fwPicture))
                return true;
        return false;
    }

    bool OfferCoverPages(const TPackageIndex& Package)
    {
        // Many <meta> may name one id of many items: each id's items are
        // followed once.
        std::vector<bool> Followed(Package.Items.size());
        for (size_t Index = 0; Index < Package.CoverMetas.Count(); ++Index) {
            const std::string_view Id = Package.CoverMetas[Index];
            const auto [First, End] = Package.WithId(Id);
            if (Id.empty() || First == End || Followed[*First])
                continue;
            for (auto It = First; It != End; ++It) {
                Followed[*It] = true;
                if (Package.Items[*It].IsItem && OfferHref(FFolder, Package.Hrefs[*It], fwPage))
                    return true;
            }
        }
        for (const std::string& Href : Package.GuideCovers)
            if (OfferHref(FFolder, Href, fwPage))
                return true;
        return false;
    }

    // The navigation document's landmarks: EPUB 3's guide.
    bool OfferLandmarks(const TPackageIndex& Package)
    {
        for (size_t Position = 0; Position < Package.Items.size(); ++Position) {
            if (!Package.Items[Position].IsItem || !Package.Items[Position].Nav)
                continue;
            const std::optional<std::string> Nav = ResolveEpubHref(FFolder, std::string(Package.Hrefs[Position]));
            if (!Nav || FEncrypted.count(*Nav) || !MayTry())
                return false;
            const std::optional<TBytes> Bytes = Read(*Nav, Limits::EpubPackageBytes);
            if (!Bytes)
                return false;
            for (const std::string& Href : LandmarkCoverHrefs(Bytes->data(), Bytes->size())) {
                FLandmarked = true;
                if (OfferHref(EntryFolder(*Nav), Href, fwPage))
                    return true;
            }
            return false;
        }
        return false;
    }

    bool OfferItemsNamedCover(const TPackageIndex& Package)
    {
        for (size_t Position = 0; Position < Package.Items.size(); ++Position) {
            const TManifestItem& Item = Package.Items[Position];
            if (Item.IsItem && Item.IsImage && Item.NamedCover && OfferHref(FFolder, Package.Hrefs[Position], fwPicture))
                return true;
        }
        return false;
    }

    // Only a book that marks no cover at all shows its first page instead:
    // a mark that failed says the first page is something else.
    bool OfferFirstSpineItem(const TPackageIndex& Package)
    {
        if (Package.CoverMetas.Count() > 0 || !Package.GuideCovers.empty() || FLandmarked)
            return false;
        for (const TManifestItem& Item : Package.Items)
            if (Item.IsItem && Item.CoverImage)
                return false;
        if (Package.FirstSpineId.empty())
            return false;
        const auto [First, End] = Package.WithId(Package.FirstSpineId);
        for (auto It = First; It != End; ++It)
            if (Package.Items[*It].IsItem)
                return OfferHref(FFolder, Package.Hrefs[*It], fwPage);
        return false;
    }

    bool OfferHref(const std::string& Folder, std::string_view Href, TFollow Follow)
    {
        const std::optional<std::string> Name = ResolveEpubHref(Folder, std::string(Href));
        return Name && OfferEntry(*Name, Follow);
    }

    // Each entry is read once, whatever names it; markup is never offered
    // as a picture.
    bool OfferEntry(const std::string& Name, TFollow Follow)
    {
        if (FEncrypted.count(Name) || !FSeen.insert(Name).second || !MayTry())
            return false;
        const std::optional<TBytes> Bytes = Read(Name, Limits::CoverPictureBytes);
        if (!Bytes)
            return false;
        const TMarkup Markup = SniffMarkup(Bytes->data(), Bytes->size());
        if (Markup == mkNone)
            return Name != FMetaChainEntry && FTake(Bytes->data(), Bytes->size());
        // An SVG document may carry its picture inside it; a page only names its own.
        if (Follow == fwRaster || Bytes->size() > (Markup == mkSvg ? Limits::EpubSvgBytes : Limits::EpubPageBytes))
            return false;
        const TPagePictures Page = ReadPagePictures(Bytes->data(), Bytes->size());
        if (Page.Kind == pkSvg)
            return OfferLargestRaster(EntryFolder(Name), Page.Hrefs);
        return Page.Kind == pkHtml && Follow == fwPage && OfferOnePicture(EntryFolder(Name), Page.Hrefs);
    }

    // A page counts when every picture it shows is the same one.
    bool OfferOnePicture(const std::string& Folder, const std::vector<std::string>& Hrefs)
    {
        std::optional<TPictureRef> Only;
        for (const std::string& Href : Hrefs) {
            const std::optional<TPictureRef> Picture = Resolve(Folder, Href);
            if (!Picture || (Only && !(*Only == *Picture)))
                return false;
            Only = Picture;
        }
        return Only && OfferPicture(*Only, fwPicture);
    }

    // The vector parts of an SVG document are not drawn; it stands for its
    // largest raster picture, by bytes: a frame's photo outweighs its
    // ornaments, and the size is known without reading a byte of either
    // (the archive's directory states an entry's, a data: URI's length gives
    // its own). The first of equal sizes wins.
    bool OfferLargestRaster(const std::string& Folder, const std::vector<std::string>& Hrefs)
    {
        std::optional<TPictureRef> Largest;
        uint64_t LargestBytes = 0;
        for (const std::string& Href : Hrefs) {
            const std::optional<TPictureRef> Picture = Resolve(Folder, Href);
            const uint64_t Bytes = Picture ? PictureBytes(*Picture) : 0;
            if (Bytes > LargestBytes) {
                Largest = Picture;
                LargestBytes = Bytes;
            }
        }
        return Largest && OfferPicture(*Largest, fwRaster);
    }

    std::optional<TPictureRef> Resolve(const std::string& Folder, const std::string& Href) const
    {
        if (IsDataUri(Href))
            return TPictureRef{true, Href};
        const std::optional<std::string> Name = ResolveEpubHref(Folder, Href);
        return Name ? std::optional<TPictureRef>(TPictureRef{false, *Name}) : std::nullopt;
    }

    // 0 for an entry the archive lacks or may not be read.
    uint64_t PictureBytes(const TPictureRef& Picture)
    {
        if (Picture.Inline)
            return DataUriBytes(Picture.Value);
        const int Index = FZip.IndexOf(Wide(Picture.Value));
        return Index < 0 || FEncrypted.count(Picture.Value) ? 0 : FZip.FileInfo(Index).UncompressedSize;
    }

    bool OfferPicture(const TPictureRef& Picture, TFollow Follow)
    {
        if (!Picture.Inline)
            return OfferEntry(Picture.Value, Follow);
        if (!MayTry())
            return false;
        const std::optional<TBytes> Bytes = DecodeDataUri(Picture.Value, Limits::CoverPictureBytes);
        return Bytes && FTake(Bytes->data(), Bytes->size());
    }

    TZipFile& FZip;
    const TCoverCandidateTaker& FTake;
    std::string FFolder;
    std::string FMetaChainEntry;
    std::set<std::string> FEncrypted;
    std::set<std::string> FSeen;
    bool FLandmarked = false;
    TReadBudget FBudget;
    size_t FTries = 0;
};

}

bool OfferEpubFallbackCovers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    return TFallbackSearch(Zip, Budget, Take).Run();
}
