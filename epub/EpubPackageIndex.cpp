#include "epub/EpubPackageIndex.h"

#include <algorithm>

#include "core/Strings.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

// An attribute's value as UTF-8; empty when missing.
std::string Value(const IXMLNode& Node, const char16_t* Name)
{
    return platform::WideToMultiByte(platform::cpUtf8, Node.Attribute(Name));
}

bool ContainsCover(const std::string& Text) { return AsciiLowerText(Text).find("cover") != std::string::npos; }

}

void TTextList::Add(std::string_view Text)
{
    FText += Text;
    FEnds.push_back(static_cast<uint32_t>(FText.size()));
}

std::string_view TTextList::operator[](size_t Index) const
{
    const uint32_t Start = Index == 0 ? 0 : FEnds[Index - 1];
    return std::string_view(FText).substr(Start, FEnds[Index] - Start);
}

TPackageIndex::TPositions TPackageIndex::WithId(std::string_view Id) const
{
    struct TIdLess {
        const TTextList& Ids;
        bool operator()(uint32_t Position, std::string_view Id) const { return Ids[Position] < Id; }
        bool operator()(std::string_view Id, uint32_t Position) const { return Id < Ids[Position]; }
    };
    return std::equal_range(ById.begin(), ById.end(), Id, TIdLess{Ids});
}

TPackageIndex IndexPackage(const IXMLNode& Package)
{
    TPackageIndex Index;
    ForEachChildElement(ChildElement(Package, u"metadata"), u"meta", [&Index](const IXMLNode& Meta) {
        if (SameTextAscii(Meta.Attribute(u"name"), u"cover"))
            Index.CoverMetas.Add(Value(Meta, u"content"));
    });
    ForEachChildElement(ChildElement(Package, u"manifest"), u"", [&Index](const IXMLNode& Child) {
        const std::string Id = Value(Child, u"id"), Href = Value(Child, u"href"),
                          MediaType = AsciiLowerText(Value(Child, u"media-type")),
                          Properties = Value(Child, u"properties");
        TManifestItem Item;
        Item.IsItem = Child.NodeName() == u"item";
        Item.IsImage = MediaType.rfind("image/", 0) == 0;
        Item.IsSvg = MediaType == "image/svg+xml";
        Item.CoverImage = HasToken(Properties, "cover-image");
        Item.Nav = HasToken(Properties, "nav");
        Item.NamedCover = ContainsCover(Id) || ContainsCover(Href);
        Index.Items.push_back(Item);
        Index.Hrefs.Add(Href);
        Index.Ids.Add(Id);
    });
    Index.ById.resize(Index.Items.size());
    for (uint32_t Position = 0; Position < Index.ById.size(); ++Position)
        Index.ById[Position] = Position;
    std::stable_sort(Index.ById.begin(), Index.ById.end(),
                     [&Index](uint32_t A, uint32_t B) { return Index.Ids[A] < Index.Ids[B]; });
    ForEachChildElement(ChildElement(Package, u"guide"), u"reference", [&Index](const IXMLNode& Reference) {
        if (SameTextAscii(Reference.Attribute(u"type"), u"cover"))
            Index.GuideCovers.push_back(Value(Reference, u"href"));
    });
    const IXMLNode FirstItemRef = ChildElement(ChildElement(Package, u"spine"), u"itemref");
    if (FirstItemRef)
        Index.FirstSpineId = Value(FirstItemRef, u"idref");
    return Index;
}
