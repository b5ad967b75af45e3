#include "fb2/FB2CoverFallbacks.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "fb2/Base64.h"
#include "fb2/FB2Cover.h"
#include "fb2/FB2LenientCover.h"
#include "fb2/ZipFB2.h"
#include "zip/LimitedEntryStream.h"

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

}

std::u16string FB2ImageLink(const IXMLNode& Image)
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

namespace {

IXMLNode FindRoot(const IXMLDocument& Document)
{
    Document->SetOptions(0);
    return FindFB2Child(Document->ChildNodes(), u"FictionBook");
}

IXMLNode FindBinary(const IXMLNodeList& RootChildren, const std::u16string& Id)
{
    const int Count = RootChildren.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = RootChildren.Get(Index);
        if (IsFB2Element(Child, u"binary") && Child.Attribute(u"id") == Id)
            return Child;
    }
    return IXMLNode();
}

// Whether the parser refuses the document's text; a document that parses is
// left parsed.
bool RefusedByParser(const IXMLDocument& Document)
{
    try {
        Document->Activate();
        return false;
    } catch (const EDOMParseError&) {
        return true;
    }
}

// The cover of an entry the parser refused, read again leniently within
// Limit, or with a Budget as later entries are read.
bool OfferLenientEntry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget,
                       const TCoverCandidateTaker& Take)
{
    try {
        TZipHeader LocalHeader;
        const std::unique_ptr<TStream> Entry = Zip.Read(Name, LocalHeader);
        TLimitedEntryStream Limited(*Entry, Limit, Budget);
        return OfferLenientFB2Cover(Limited, Take);
    } catch (const Exception&) {
        return false;
    }
}

bool OfferText(const std::string& Picture, const TCoverCandidateTaker& Take)
{
    return !Picture.empty() && Take(reinterpret_cast<const uint8_t*>(Picture.data()), Picture.size());
}

}

namespace {

IXMLNode FindNamespacedFB2Binary(const IXMLDocument& Document)
{
    const IXMLNode Root = FindRoot(Document);
    if (!Root)
        return IXMLNode();
    const IXMLNodeList RootChildren = Root.ChildNodes();
    const IXMLNode Description = FindFB2Child(RootChildren, u"description");
    IXMLNode Image = FindFB2Path(Description, {u"title-info", u"coverpage", u"image"});
    if (!Image)
        Image = FindFB2Path(Description, {u"src-title-info", u"coverpage", u"image"});
    if (!Image)
        return IXMLNode();
    const std::u16string Link = FB2ImageLink(Image);
    if (Link.empty())
        return IXMLNode();
    return FindBinary(RootChildren, Link[0] == u'#' ? Link.substr(1) : Link);
}

}

std::u16string FindNamespacedFB2CoverText(const IXMLDocument& Document)
{
    const IXMLNode Binary = FindNamespacedFB2Binary(Document);
    return Binary ? Binary.Text() : std::u16string();
}

IXMLNode FindFB2BinaryByLink(const IXMLDocument& Document)
{
    IXMLNodeList RootChildren;
    const IXMLNode Image = FindFB2CoverImage(Document, RootChildren);
    if (!Image)
        return IXMLNode();
    // Where the link is the first attribute the exact lookup follows it already.
    const IXMLNodeList Attributes = Image.AttributeNodes();
    const std::u16string Link = FB2ImageLink(Image);
    if (Link.empty() || (Attributes.Count() > 0 && Attributes.Get(0).Text() == Link))
        return IXMLNode();
    return FindFB2Binary(RootChildren, Link);
}

namespace {

// The covers of one ".fb2" entry: its document's, or where the parser
// refuses it, what a lenient reading of it finds.
bool OfferEntryCovers(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget,
                      const TCoverCandidateTaker& Take)
{
    IXMLDocument Document = LoadFB2Entry(Zip, Name, Limit, Budget);
    if (!RefusedByParser(Document))
        return OfferFB2DocumentCovers(std::move(Document), Take);
    // A text refused for its size is at hand, whole; any other is read again.
    TXMLBuffer Text = Document->TakeRefusedText();
    Document.reset();
    if (!Text.Empty())
        return OfferLenientFB2Cover(std::move(Text), Take);
    return OfferLenientEntry(Zip, Name, Limit, Budget, Take);
}

}

bool OfferFB2DocumentCovers(IXMLDocument Document, const TCoverCandidateTaker& Take)
{
    if (!Document)
        return false;
    // Each lookup's binary once, decoded while the document lives; the
    // document goes before any is offered.
    std::vector<std::string> Pictures;
    {
        std::vector<IXMLNode> Binaries;
        for (const auto Find : {FindFB2CoverBinary, FindNamespacedFB2Binary, FindFB2BinaryByLink}) {
            try {
                const IXMLNode Binary = Find(Document);
                if (!Binary || std::find(Binaries.begin(), Binaries.end(), Binary) != Binaries.end())
                    continue;
                Binaries.push_back(Binary);
                Pictures.push_back(DecodeFB2Picture(Binary.TextUtf8()));
            } catch (const Exception&) {
            }
        }
    }
    Document.reset();
    for (const std::string& Picture : Pictures)
        if (OfferText(Picture, Take))
            return true;
    return false;
}

bool OfferZippedFB2Covers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take)
{
    const std::vector<std::u16string> Names = Zip.FileNames();
    const auto FirstName = std::find_if(Names.begin(), Names.end(), IsFB2EntryName);
    if (FirstName == Names.end())
        return false;
    if (OfferEntryCovers(Zip, *FirstName, Limits::ZippedFB2TextBytes, Budget, Take))
        return true;
    size_t Tried = 0;
    TReadBudget Search(Budget, Limits::FB2LaterSearchBytes);
    for (auto Name = FirstName + 1; Name != Names.end(); ++Name) {
        if (!IsFB2EntryName(*Name))
            continue;
        if (Tried++ == Limits::FB2LaterEntries)
            break;
        try {
            if (OfferEntryCovers(Zip, *Name, Limits::FB2LaterEntryBytes, Search, Take))
                return true;
        } catch (const Exception&) {
        }
    }
    return false;
}
