#include "epub/NavLandmarks.h"

#include "platform/CodePages.h"
#include "xml/XMLElements.h"

namespace {

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

// epub:type, whatever prefix the document bound to the OPS namespace; a
// type attribute without a prefix is HTML's own and says nothing here.
std::string EpubType(const IXMLNode& Element)
{
    const IXMLNodeList Attributes = Element.AttributeNodes();
    for (int Index = 0; Index < Attributes.Count(); ++Index) {
        const IXMLNode Attribute = Attributes.Get(Index);
        if (HasLocalName(Attribute, u"type") && !Attribute.Prefix().empty())
            return Narrow(Attribute.Text());
    }
    return std::string();
}

}

std::vector<std::string> LandmarkCoverHrefs(const uint8_t* Data, size_t Size)
{
    std::vector<std::string> Hrefs;
    const IXMLDocument Document = ParseLenientXML(Data, Size);
    if (!Document)
        return Hrefs;
    IXMLNode Landmarks;
    Document->DocumentElement().ForEachElement([&](const IXMLNode& Node) {
        if (HasLocalName(Node, u"nav") && HasToken(EpubType(Node), "landmarks"))
            Landmarks = Node;
        return !Landmarks;
    });
    if (Landmarks)
        Landmarks.ForEachElement([&](const IXMLNode& Node) {
            if (HasLocalName(Node, u"a") && HasToken(EpubType(Node), "cover"))
                Hrefs.push_back(Narrow(Node.Attribute(u"href")));
            return true;
        });
    return Hrefs;
}
