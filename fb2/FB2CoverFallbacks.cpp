#include "fb2/FB2CoverFallbacks.h"

#include <memory>
#include <utility>

#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "fb2/Base64.h"
#include "fb2/FB2Cover.h"
#include "fb2/ZipFB2.h"

namespace {

bool IsFB2Element(const IXMLNode& Node, const char16_t* LocalName)
{
    return Node.NodeType() == ntElement && Node.LocalName() == LocalName &&
           Node.NamespaceURI() == FictionBookNamespace;
}

IXMLNode FindFB2Child(const IXMLNodeList& Children, const char16_t* LocalName)
{
    const int Count = Children.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = Children.Get(Index);
        if (IsFB2Element(Child, LocalName))
            return Child;
    }
    return IXMLNode();
}

IXMLNode FindFB2Path(IXMLNode Node, std::initializer_list<const char16_t*> Path)
{
    for (const char16_t* Step : Path) {
        if (!Node)
            break;
        Node = FindFB2Child(Node.ChildNodes(), Step);
    }
    return Node;
}

bool DeclaresNamespace(const IXMLNode& Attribute)
{
    return Attribute.NodeName() == u"xmlns" || Attribute.Prefix() == u"xmlns";
}

std::u16string ImageLink(const IXMLNode& Image)
{
    const IXMLNodeList Attributes = Image.AttributeNodes();
    const int Count = Attributes.Count();
    IXMLNode First;
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Attribute = Attributes.Get(Index);
        if (DeclaresNamespace(Attribute))
            continue;
        if (Attribute.LocalName() == u"href")
            return Attribute.Text();
        if (!First)
            First = Attribute;
    }
    return First ? First.Text() : std::u16string();
}

IXMLNode FindRoot(const IXMLDocument& Document)
{
    Document->SetOptions(0);
    return FindFB2Child(Document->ChildNodes(), u"FictionBook");
}

std::u16string FindBinaryText(const IXMLNodeList& RootChildren, const std::u16string& Id)
{
    const int Count = RootChildren.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = RootChildren.Get(Index);
        if (IsFB2Element(Child, u"binary") && Child.Attribute(u"id") == Id)
            return Child.Text();
    }
    return std::u16string();
}

bool OfferText(const std::string& Picture, const TCoverCandidateTaker& Take)
{
    return !Picture.empty() && Take(reinterpret_cast<const uint8_t*>(Picture.data()), Picture.size());
}

}

std::u16string FindNamespacedFB2CoverText(const IXMLDocument& Document)
{
    const IXMLNode Root = FindRoot(Document);
    if (!Root)
        return std::u16string();
    const IXMLNodeList RootChildren = Root.ChildNodes();
    const IXMLNode Description = FindFB2Child(RootChildren, u"description");
    IXMLNode Image = FindFB2Path(Description, {u"title-info", u"coverpage", u"image"});
    if (!Image)
        Image = FindFB2Path(Description, {u"src-title-info", u"coverpage", u"image"});
    if (!Image)
        return std::u16string();
    const std::u16string Link = ImageLink(Image);
    if (Link.empty())
        return std::u16string();
    return FindBinaryText(RootChildren, Link[0] == u'#' ? Link.substr(1) : Link);
}

bool OfferFB2DocumentCovers(IXMLDocument Document, const TCoverCandidateTaker& Take)
{
    if (!Document)
        return false;
    std::u16string Namespaced;
    std::string Picture;
    try {
        Namespaced = FindNamespacedFB2CoverText(Document);
    } catch (const Exception&) {
    }
    try {
        // The last reference goes here, before the picture is decoded.
        Picture = ExtractFB2Cover(std::move(Document));
    } catch (const Exception&) {
    }
    if (OfferText(Picture, Take))
        return true;
    std::string().swap(Picture);
    return !Namespaced.empty() && OfferText(DecodeBase64(Namespaced), Take);
}

bool OfferZippedFB2Covers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    IXMLDocument First;
    {
        std::unique_ptr<TStream> EntryStream;
        First = LoadFB2EntryDocument(Zip, EntryStream, Budget);
    }
    if (!First)
        return false;
    if (OfferFB2DocumentCovers(std::move(First), Take))
        return true;
    size_t Tried = 0;
    TReadBudget Search(Budget, Limits::FB2LaterSearchBytes);
    bool Later = false;
    for (const std::u16string& Name : Zip.FileNames()) {
        if (!IsFB2EntryName(Name))
            continue;
        if (!Later) {
            Later = true;
            continue;
        }
        if (Tried++ == Limits::FB2LaterEntries)
            break;
        IXMLDocument Document = NewXMLDocument();
        {
            // The entry's bytes go once the document holds its text.
            TBytes Bytes;
            try {
                Bytes = Zip.Read(Name, Limits::FB2LaterEntryBytes, Search);
            } catch (const Exception&) {
                continue;
            }
            TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
            SetXMLTextFromStream(Document, Stream);
        }
        if (OfferFB2DocumentCovers(std::move(Document), Take))
            return true;
    }
    return false;
}
