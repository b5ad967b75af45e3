#include "epub/CoverPage.h"

#include "core/Limits.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool InsideSvg(const IXMLNode& Node)
{
    for (IXMLNode Parent = Node.ParentNode(); Parent; Parent = Parent.ParentNode())
        if (HasLocalName(Parent, u"svg"))
            return true;
    return false;
}

// SVG 1.1 writes the link as xlink:href, SVG 2 as href; the prefix is
// whatever the page declared.
std::string SvgImageHref(const IXMLNode& Image)
{
    const IXMLNodeList Attributes = Image.AttributeNodes();
    for (int Index = 0; Index < Attributes.Count(); ++Index) {
        const IXMLNode Attribute = Attributes.Get(Index);
        if (HasLocalName(Attribute, u"href") && Attribute.NodeName().rfind(u"xmlns", 0) != 0)
            return Narrow(Attribute.Text());
    }
    return std::string();
}

}

std::vector<std::string> PagePictureHrefs(const uint8_t* Data, size_t Size)
{
    std::vector<std::string> Hrefs;
    // No DTD is read: an XHTML entity such as &nbsp; stays as written
    // instead of failing the page.
    const IXMLDocument Page = ParseLenientXML(Data, Size);
    const IXMLNode Root = Page ? Page->DocumentElement() : IXMLNode();
    if (!Root || !(HasLocalName(Root, u"html") || HasLocalName(Root, u"svg")))
        return Hrefs;
    // The element count bounds the ancestor checks of <image> too.
    size_t PictureElements = 0;
    Root.ForEachElement([&](const IXMLNode& Node) {
        if (HasLocalName(Node, u"img")) {
            ++PictureElements;
            Hrefs.push_back(Narrow(Node.Attribute(u"src")));
        } else if (HasLocalName(Node, u"image")) {
            ++PictureElements;
            if (InsideSvg(Node))
                Hrefs.push_back(SvgImageHref(Node));
        }
        return PictureElements <= Limits::CoverPagePictures;
    });
    return Hrefs;
}
