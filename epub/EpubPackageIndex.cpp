#include "epub/EpubPackageIndex.h"

#include "core/Strings.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

// An attribute's value as UTF-8; empty when missing.
std::string Value(const IXMLNode& Node, const char16_t* Name)
{
    return platform::WideToMultiByte(platform::cpUtf8, Node.Attribute(Name));
}

}

TPackageIndex IndexPackage(const IXMLNode& Package)
{
    TPackageIndex Index;
    for (const IXMLNode& Meta : ChildElements(ChildElement(Package, u"metadata"), u"meta"))
        if (SameTextAscii(Meta.Attribute(u"name"), u"cover"))
            Index.CoverMetas.push_back(Value(Meta, u"content"));
    for (const IXMLNode& Child : ChildElements(ChildElement(Package, u"manifest"), u"")) {
        TManifestItem Item{Value(Child, u"id"), Value(Child, u"href"), Value(Child, u"media-type"),
                           Value(Child, u"properties"), Child.NodeName() == u"item"};
        Index.ItemsById[Item.Id].push_back(Index.Items.size());
        Index.Items.push_back(std::move(Item));
    }
    for (const IXMLNode& Reference : ChildElements(ChildElement(Package, u"guide"), u"reference"))
        if (SameTextAscii(Reference.Attribute(u"type"), u"cover"))
            Index.GuideCovers.push_back(Value(Reference, u"href"));
    const IXMLNode FirstItemRef = ChildElement(ChildElement(Package, u"spine"), u"itemref");
    if (FirstItemRef)
        Index.FirstSpineId = Value(FirstItemRef, u"idref");
    return Index;
}
