#include "epub/CoverPage.h"

#include <string_view>

#include "core/Limits.h"
#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

constexpr const char* Blanks = " \t\r\n";

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

TMarkup SniffMarkup(const uint8_t* Data, size_t Size)
{
    std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    if (Text.rfind("\xFF\xFE", 0) == 0 || Text.rfind("\xFE\xFF", 0) == 0)
        return mkPage;
    if (Text.rfind("\xEF\xBB\xBF", 0) == 0)
        Text.remove_prefix(3);
    for (;;) {
        const size_t Start = Text.find_first_not_of(Blanks);
        if (Start == std::string_view::npos || Text[Start] != '<')
            return mkNone;
        Text.remove_prefix(Start);
        // End: where the '>' that closes the construct is.
        size_t End;
        if (Text.rfind("<?", 0) == 0) {
            End = Text.find("?>", 2);
            End = End == std::string_view::npos ? End : End + 1;
        } else if (Text.rfind("<!--", 0) == 0) {
            End = Text.find("-->", 4);
            End = End == std::string_view::npos ? End : End + 2;
        } else if (Text.rfind("<!", 0) == 0) {
            // A document type declaration's internal subset holds '>' of its own.
            const size_t Subset = Text.find_first_of("[>");
            End = Subset != std::string_view::npos && Text[Subset] == '[' ? Text.find("]", Subset) : Subset;
            End = End == std::string_view::npos ? End : Text.find('>', End);
        } else {
            const std::string_view Name = Text.substr(1, Text.find_first_of(" \t\r\n/>") - 1);
            const size_t Colon = Name.rfind(':');
            return Name.substr(Colon == std::string_view::npos ? 0 : Colon + 1) == "svg" ? mkSvg : mkPage;
        }
        if (End == std::string_view::npos)
            return mkPage;
        Text.remove_prefix(End + 1);
    }
}

TPagePictures ReadPagePictures(const uint8_t* Data, size_t Size)
{
    TPagePictures Pictures;
    // No DTD is read: an XHTML entity such as &nbsp; stays as written
    // instead of failing the page.
    const IXMLDocument Page = ParseLenientXML(Data, Size);
    const IXMLNode Root = Page ? Page->DocumentElement() : IXMLNode();
    if (!Root || !(HasLocalName(Root, u"html") || HasLocalName(Root, u"svg")))
        return Pictures;
    Pictures.Kind = HasLocalName(Root, u"svg") ? pkSvg : pkHtml;
    std::vector<std::string>& Hrefs = Pictures.Hrefs;
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
    return Pictures;
}
