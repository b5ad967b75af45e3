#include "fb2/FB2Cover.h"

#include <utility>

#include "fb2/Base64.h"
#include "xml/XMLNodeLookup.h"

namespace {

// The base64 text of the cover picture, or empty. Every node reference taken
// here is gone when it returns.
std::u16string FindCoverText(const IXMLDocument& Document)
{
    Document->SetOptions(0);
    const IXMLNode Root = FindDocumentChild(Document, u"FictionBook");
    if (!Root)
        return std::u16string();
    const IXMLNodeList RootChildren = Root.ChildNodes();
    const IXMLNode Description = RootChildren.FindNode(u"description");
    if (!Description)
        return std::u16string();
    // The source's cover counts only when the book itself names none, not
    // when the book's cover leads nowhere.
    IXMLNode Image = SelectNodePath(Description, u"title-info/coverpage/image");
    if (!Image)
        Image = SelectNodePath(Description, u"src-title-info/coverpage/image");
    if (!Image)
        return std::u16string();
    // In FictionBook the image's link ('l:href', '#' and an id) is its first
    // attribute, whatever the link prefix is.
    const std::u16string Reference = Image.AttributeNodes().Get(0).Text();
    if (Reference.empty())
        return std::u16string();
    const std::u16string Id = Reference[0] == u'#' ? Reference.substr(1) : Reference;
    const int Count = RootChildren.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = RootChildren.Get(Index);
        if (Child.NodeName() == u"binary" && Child.Attribute(u"id") == Id)
            return Child.Text();
    }
    return std::u16string();
}

}

std::string ExtractFB2Cover(IXMLDocument Document)
{
    if (!Document)
        return std::string();
    std::u16string Text = FindCoverText(Document);
    // The book goes before its picture is decoded.
    Document.reset();
    if (Text.empty())
        return std::string();
    return DecodeBase64(Text);
}
