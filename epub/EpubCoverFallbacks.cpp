#include "epub/EpubCoverFallbacks.h"

#include <set>
#include <string>

#include "core/Limits.h"
#include "core/Strings.h"
#include "epub/CoverPage.h"
#include "epub/EpubCover.h"
#include "epub/EpubHref.h"
#include "platform/CodePages.h"
#include "xml/XMLNodeBudget.h"
#include "xml/XmlElements.h"

namespace {

std::u16string Wide(const std::string& Utf8) { return platform::MultiByteToWide(platform::cpUtf8, Utf8); }
std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool ContainsCover(const char* Text) { return AsciiLowerText(Text).find("cover") != std::string::npos; }

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

bool IsCoverMeta(const pugi::xml_node& Meta) { return SameTextAscii(Meta.attribute("name").value(), "cover"); }

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
            pugi::xml_document Container;
            if (!LoadEntry("META-INF/container.xml", Limits::EpubPackageBytes, Container))
                return false;
            PackagePath =
                Container.child("container").child("rootfiles").child("rootfile").attribute("full-path").value();
        }
        pugi::xml_document Document;
        if (PackagePath.empty() || !LoadEntry(PackagePath, Limits::EpubPackageBytes, Document))
            return false;
        const pugi::xml_node Package = Document.child("package");
        FFolder = EntryFolder(PackagePath);
        SkipMetaChainEntry(Package);
        return OfferCoverImageItems(Package) || OfferMetaHrefs(Package) || OfferCoverPages(Package) ||
               OfferItemsNamedCover(Package);
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

    bool LoadEntry(const std::string& Name, uint32_t Limit, pugi::xml_document& Document)
    {
        const std::optional<TBytes> Bytes = Read(Name, Limit);
        const auto* Text = reinterpret_cast<const char*>(Bytes ? Bytes->data() : nullptr);
        return Bytes && WithinNodeBudget(CountNodesAtMost(Text, Bytes->size())) &&
               Document.load_buffer(Text, Bytes->size(), pugi::parse_default, pugi::encoding_auto);
    }

    // Pages and pictures: each counts, whether it is read or not.
    bool MayTry() { return FTries++ < Limits::EpubTries; }

    // encryption.xml names the entries it covers by URIs relative to the
    // archive's root, in <CipherReference URI="...">.
    void ReadEncryptedEntries()
    {
        pugi::xml_document Encryption;
        if (!LoadEntry("META-INF/encryption.xml", Limits::EpubPackageBytes, Encryption))
            return;
        ForEachElement(Encryption.document_element(), [this](const pugi::xml_node& Node) {
            if (HasLocalName(Node, "CipherReference"))
                if (const std::optional<std::string> Name = ResolveEpubHref("", Node.attribute("URI").value()))
                    FEncrypted.insert(*Name);
            return true;
        });
    }

    // The last <meta name="cover"> and the last manifest item of its id name
    // the entry that failed already.
    void SkipMetaChainEntry(const pugi::xml_node& Package)
    {
        std::string Id;
        for (const pugi::xml_node& Meta : Package.child("metadata").children("meta"))
            if (IsCoverMeta(Meta))
                Id = Meta.attribute("content").value();
        if (Id.empty())
            return;
        std::string Href;
        for (const pugi::xml_node& Item : Package.child("manifest").children())
            if (Id == Item.attribute("id").value())
                Href = Item.attribute("href").value();
        if (!Href.empty())
            FOffered.insert(Narrow(ResolveCoverEntryName(Wide(FFolder), Wide(Href))));
    }

    bool OfferCoverImageItems(const pugi::xml_node& Package)
    {
        for (const pugi::xml_node& Item : Package.child("manifest").children("item"))
            if (HasToken(Item.attribute("properties").value(), "cover-image") &&
                OfferHref(FFolder, Item.attribute("href").value()))
                return true;
        return false;
    }

    bool OfferMetaHrefs(const pugi::xml_node& Package)
    {
        for (const pugi::xml_node& Meta : Package.child("metadata").children("meta"))
            if (IsCoverMeta(Meta) && OfferHref(FFolder, Meta.attribute("content").value()))
                return true;
        return false;
    }

    bool OfferCoverPages(const pugi::xml_node& Package)
    {
        for (const pugi::xml_node& Meta : Package.child("metadata").children("meta")) {
            if (!IsCoverMeta(Meta))
                continue;
            const std::string Id = Meta.attribute("content").value();
            for (const pugi::xml_node& Item : Package.child("manifest").children("item"))
                if (!Id.empty() && Id == Item.attribute("id").value() && OfferPage(Item.attribute("href").value()))
                    return true;
        }
        for (const pugi::xml_node& Reference : Package.child("guide").children("reference"))
            if (SameTextAscii(Reference.attribute("type").value(), "cover") &&
                OfferPage(Reference.attribute("href").value()))
                return true;
        return false;
    }

    bool OfferItemsNamedCover(const pugi::xml_node& Package)
    {
        for (const pugi::xml_node& Item : Package.child("manifest").children("item"))
            if (AsciiLowerText(Item.attribute("media-type").value()).rfind("image/", 0) == 0 &&
                (ContainsCover(Item.attribute("id").value()) || ContainsCover(Item.attribute("href").value())) &&
                OfferHref(FFolder, Item.attribute("href").value()))
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
        const std::optional<TBytes> Bytes = Read(Name, Limits::CoverPictureBytes);
        return Bytes && FTake(Bytes->data(), Bytes->size());
    }

    TZipFile& FZip;
    const TCoverCandidateTaker& FTake;
    std::string FFolder;
    std::set<std::string> FEncrypted;
    std::set<std::string> FOffered;
    std::set<std::string> FPages;
    TReadBudget FBudget;
    size_t FTries = 0;
};

}

bool OfferEpubFallbackCovers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    return TFallbackSearch(Zip, Budget, Take).Run();
}
