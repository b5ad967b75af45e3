#include "epub/CoverPage.h"

#include <cstring>

#include "core/Limits.h"
#include "xml/XmlElements.h"

namespace {

bool InsideSvg(pugi::xml_node Node)
{
    for (Node = Node.parent(); Node; Node = Node.parent())
        if (Node.type() == pugi::node_element && HasLocalName(Node, "svg"))
            return true;
    return false;
}

// SVG 1.1 writes the link as xlink:href, SVG 2 as href; the prefix is
// whatever the page declared.
std::string SvgImageHref(const pugi::xml_node& Image)
{
    for (const pugi::xml_attribute& Attribute : Image.attributes())
        if (std::strcmp(LocalName(Attribute.name()), "href") == 0 && std::strncmp(Attribute.name(), "xmlns", 5) != 0)
            return Attribute.value();
    return std::string();
}

}

std::vector<std::string> PagePictureHrefs(const uint8_t* Data, size_t Size)
{
    std::vector<std::string> Hrefs;
    pugi::xml_document Page;
    // No DTD is read: an XHTML entity such as &nbsp; stays as written
    // instead of failing the page.
    if (!Page.load_buffer(Data, Size, pugi::parse_default, pugi::encoding_auto))
        return Hrefs;
    const pugi::xml_node Root = Page.document_element();
    if (!Root || !(HasLocalName(Root, "html") || HasLocalName(Root, "svg")))
        return Hrefs;
    // The element count bounds the ancestor checks of <image> too.
    size_t PictureElements = 0;
    ForEachElement(Root, [&](const pugi::xml_node& Node) {
        if (HasLocalName(Node, "img")) {
            ++PictureElements;
            Hrefs.push_back(Node.attribute("src").value());
        } else if (HasLocalName(Node, "image")) {
            ++PictureElements;
            if (InsideSvg(Node))
                Hrefs.push_back(SvgImageHref(Node));
        }
        return PictureElements <= Limits::CoverPagePictures;
    });
    return Hrefs;
}
