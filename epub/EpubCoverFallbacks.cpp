#include "epub/EpubCoverFallbacks.h"

#include <set>
#include <string>

#include "core/Limits.h"
#include "core/Strings.h"
#include "epub/CoverPage.h"
#include "epub/EpubCover.h"
#include "epub/EpubHref.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"
#include "zip/BoundedEntry.h"

namespace {

std::u16string Wide(const std::string& Utf8) { return platform::MultiByteToWide(platform::cpUtf8, Utf8); }
std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool ContainsCover(const std::string& Text) { return AsciiLowerText(Text).find("cover") != std::string::npos; }

// An attribute's value as UTF-8; empty when missing.
std::string Value(const IXMLNode& Node, const char16_t* Name) { return Narrow(Node.Attribute(Name)); }

// properties is a list of tokens separated by XML whitespace.
bool HasToken(const std::string& List, const std::string& Token)
{
    static const char* const Blanks = " \t\r\n";
    for (size_t Start = List.find_first_not_of(Blanks); Start != std::string::npos;
         Start = List.find_first_not_of(Blanks, Start)) {
        const size_t End = std::min(List.find_first_of(Blanks, Start), List.size());
        if (List.compare(Start, End - Start, Token) == 0)
            return true;
        Start = End;
    }
    return false;
}

bool IsCoverMeta(const IXMLNode& Meta) { return SameTextAscii(Meta.Attribute(u"name"), u"cover"); }

class TFallbackSearch {
public:
    TFallbackSearch(TZipFile& Zip, const TCoverCandidateTaker& Take) : FZip(Zip), FTake(Take) {}

    bool Run()
    {
        ReadEncryptedEntries();
        std::string PackagePath;
        {
            const IXMLDocument Container = LoadEntry("META-INF/container.xml", Limits::EpubPackageBytes);
            PackagePath = Value(ChildElement(ChildElement(DocumentChildElement(Container, u"container"), u"rootfiles"),
                                             u"rootfile"),
                                u"full-path");
        }
        const IXMLDocument Document =
            PackagePath.empty() ? nullptr : LoadEntry(PackagePath, Limits::EpubPackageBytes);
        if (!Document)
            return false;
        const IXMLNode Package = DocumentChildElement(Document, u"package");
        FFolder = EntryFolder(PackagePath);
        SkipMetaChainEntry(Package);
        return OfferCoverImageItems(Package) || OfferMetaHrefs(Package) || OfferCoverPages(Package) ||
               OfferItemsNamedCover(Package);
    }

private:
    std::optional<TBytes> Read(const std::string& Name, uint32_t Limit)
    {
        return ReadBoundedEntry(FZip, Wide(Name), Limit, &FBudget);
    }

    IXMLDocument LoadEntry(const std::string& Name, uint32_t Limit)
    {
        const std::optional<TBytes> Bytes = Read(Name, Limit);
        return Bytes ? ParseLenientXML(Bytes->data(), Bytes->size()) : nullptr;
    }

    // Pages and pictures: each counts, whether it is read or not.
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
                if (const std::optional<std::string> Name = ResolveEpubHref("", Value(Node, u"URI")))
                    FEncrypted.insert(*Name);
            return true;
        });
    }

    // The last <meta name="cover"> and the last manifest item of its id name
    // the entry that failed already.
    void SkipMetaChainEntry(const IXMLNode& Package)
    {
        std::string Id;
        for (const IXMLNode& Meta : ChildElements(ChildElement(Package, u"metadata"), u"meta"))
            if (IsCoverMeta(Meta))
                Id = Value(Meta, u"content");
        if (Id.empty())
            return;
        std::string Href;
        for (const IXMLNode& Item : ChildElements(ChildElement(Package, u"manifest"), u""))
            if (Id == Value(Item, u"id"))
                Href = Value(Item, u"href");
        if (!Href.empty())
            FOffered.insert(Narrow(ResolveCoverEntryName(Wide(FFolder), Wide(Href))));
    }

    bool OfferCoverImageItems(const IXMLNode& Package)
    {
        for (const IXMLNode& Item : ChildElements(ChildElement(Package, u"manifest"), u"item"))
            if (HasToken(Value(Item, u"properties"), "cover-image") && OfferHref(FFolder, Value(Item, u"href")))
                return true;
        return false;
    }

    bool OfferMetaHrefs(const IXMLNode& Package)
    {
        for (const IXMLNode& Meta : ChildElements(ChildElement(Package, u"metadata"), u"meta"))
            if (IsCoverMeta(Meta) && OfferHref(FFolder, Value(Meta, u"content")))
                return true;
        return false;
    }

    bool OfferCoverPages(const IXMLNode& Package)
    {
        for (const IXMLNode& Meta : ChildElements(ChildElement(Package, u"metadata"), u"meta")) {
            if (!IsCoverMeta(Meta))
                continue;
            const std::string Id = Value(Meta, u"content");
            for (const IXMLNode& Item : ChildElements(ChildElement(Package, u"manifest"), u"item"))
                if (!Id.empty() && Id == Value(Item, u"id") && OfferPage(Value(Item, u"href")))
                    return true;
        }
        for (const IXMLNode& Reference : ChildElements(ChildElement(Package, u"guide"), u"reference"))
            if (SameTextAscii(Reference.Attribute(u"type"), u"cover") && OfferPage(Value(Reference, u"href")))
                return true;
        return false;
    }

    bool OfferItemsNamedCover(const IXMLNode& Package)
    {
        for (const IXMLNode& Item : ChildElements(ChildElement(Package, u"manifest"), u"item"))
            if (AsciiLowerText(Value(Item, u"media-type")).rfind("image/", 0) == 0 &&
                (ContainsCover(Value(Item, u"id")) || ContainsCover(Value(Item, u"href"))) &&
                OfferHref(FFolder, Value(Item, u"href")))
                return true;
        return false;
    }

    // A page counts when every picture it shows is the same entry.
    bool OfferPage(const std::string& Href)
    {
        const std::optional<std::string> Page = ResolveEpubHref(FFolder, Href);
        if (!Page || FEncrypted.count(*Page) || !FPages.insert(*Page).second || !MayTry())
            return false;
        const std::optional<TBytes> Bytes = Read(*Page, Limits::EpubPageBytes);
        if (!Bytes)
            return false;
        std::set<std::string> Pictures;
        for (const std::string& Picture : PagePictureHrefs(Bytes->data(), Bytes->size())) {
            const std::optional<std::string> Name = ResolveEpubHref(EntryFolder(*Page), Picture);
            if (!Name)
                return false;
            Pictures.insert(*Name);
        }
        return Pictures.size() == 1 && OfferEntry(*Pictures.begin());
    }

    bool OfferHref(const std::string& Folder, const std::string& Href)
    {
        const std::optional<std::string> Name = ResolveEpubHref(Folder, Href);
        return Name && OfferEntry(*Name);
    }

    bool OfferEntry(const std::string& Name)
    {
        if (!FOffered.insert(Name).second || FEncrypted.count(Name) || !MayTry())
            return false;
        const std::optional<TBytes> Bytes = Read(Name, Limits::EpubPictureBytes);
        return Bytes && FTake(Bytes->data(), Bytes->size());
    }

    TZipFile& FZip;
    const TCoverCandidateTaker& FTake;
    std::string FFolder;
    std::set<std::string> FEncrypted;
    std::set<std::string> FOffered;
    std::set<std::string> FPages;
    TReadBudget FBudget{Limits::EpubSearchBytes};
    size_t FTries = 0;
};

}

bool OfferEpubFallbackCovers(TZipFile& Zip, const TCoverCandidateTaker& Take)
{
    return TFallbackSearch(Zip, Take).Run();
}
