#include "fb2/FB2Cover.h"

#include <utility>

#include "fb2/Base64.h"
#include "xml/XMLNodeLookup.h"

IXMLNode FindFB2CoverImage(const IXMLDocument& Document, IXMLNodeList& RootChildren)
{
    Document->SetOptions(0);
    const IXMLNode Root = FindDocumentChild(Document, u"FictionBook");
    if (!Root)
        return IXMLNode();
    RootChildren = Root.ChildNodes();
    const IXMLNode Description = RootChildren.FindNode(u"description");
    if (!Description)
        return IXMLNode();
    // The source's cover counts only when the book itself names none, not
    // when the book's cover leads nowhere.
    IXMLNode Image = SelectNodePath(Description, u"title-info/coverpage/image");
    if (!Image)
        Image = SelectNodePath(Description, u"src-title-info/coverpage/image");
    return Image;
}

IXMLNode FindFB2Binary(const IXMLNodeList& RootChildren, const std::u16string& Reference)
{
    if (Reference.empty())
        return IXMLNode();
    const std::u16string Id = Reference[0] == u'#' ? Reference.substr(1) : Reference;
    const int Count = RootChildren.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = RootChildren.Get(Index);
        if (Child.NodeName() == u"binary" && Child.Attribute(u"id") == Id)
            return Child;
    }
    return IXMLNode();
}

namespace {

// The cover picture decoded from its binary's text as the document holds
// it, without a UTF-16 copy of the text; empty when there is none.
std::string DecodeCover(const IXMLDocument& Document)
{
    const IXMLNode Binary = FindFB2CoverBinary(Document);
    return Binary ? DecodeFB2Picture(Binary.TextUtf8()) : std::string();
}

}

IXMLNode FindFB2CoverBinary(const IXMLDocument& Document)
{
    IXMLNodeList RootChildren;
    const IXMLNode Image = FindFB2CoverImage(Document, RootChildren);
    if (!Image)
        return IXMLNode();
    // In FictionBook the image's link ('l:href', '#' and an id) is its first
    // attribute, whatever the link prefix is.
    return FindFB2Binary(RootChildren, Image.AttributeNodes().Get(0).Text());
}

std::string ExtractFB2Cover(IXMLDocument Document)
{
    if (!Document)
        return std::string();
    // The picture is decoded from the document's own text: a UTF-16 copy of a
    // large picture's base64 would take more than the document and picture
    // together.
    std::string Picture = DecodeCover(Document);
    Document.reset();
    return Picture;
}
