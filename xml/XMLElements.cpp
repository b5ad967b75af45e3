#include "xml/XMLElements.h"

#include <algorithm>

#include "core/MemoryStream.h"

namespace {

IXMLNode FirstNamed(const IXMLNodeList& Nodes, std::u16string_view Name)
{
    for (int Index = 0; Index < Nodes.Count(); ++Index) {
        IXMLNode Node = Nodes.Get(Index);
        if (Node.NodeType() == ntElement && Node.NodeName() == Name)
            return Node;
    }
    return IXMLNode();
}

}

IXMLDocument ParseLenientXML(const uint8_t* Data, size_t Size)
{
    IXMLDocument Document = NewXMLDocument();
    Document->SetOptions(doLenient);
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    try {
        Document->LoadFromStream(Stream);
    } catch (const Exception&) {
        return nullptr;
    }
    return Document;
}

IXMLNode DocumentChildElement(const IXMLDocument& Document, std::u16string_view Name)
{
    return Document ? FirstNamed(Document->ChildNodes(), Name) : IXMLNode();
}

IXMLNode ChildElement(const IXMLNode& Parent, std::u16string_view Name)
{
    return Parent ? FirstNamed(Parent.ChildNodes(), Name) : IXMLNode();
}

void ForEachChildElement(const IXMLNode& Parent, std::u16string_view Name,
                         const std::function<void(const IXMLNode&)>& Visit)
{
    if (!Parent)
        return;
    const IXMLNodeList Children = Parent.ChildNodes();
    for (int Index = 0; Index < Children.Count(); ++Index) {
        const IXMLNode Child = Children.Get(Index);
        if (Child.NodeType() == ntElement && (Name.empty() || Child.NodeName() == Name))
            Visit(Child);
    }
}

bool HasLocalName(const IXMLNode& Node, std::u16string_view Name)
{
    const TNodeType Type = Node.NodeType();
    return (Type == ntElement || Type == ntAttribute) && Node.LocalName() == Name;
}

bool HasToken(std::string_view List, std::string_view Token)
{
    constexpr std::string_view Blanks = " \t\r\n";
    for (size_t Start = List.find_first_not_of(Blanks); Start != std::string_view::npos;
         Start = List.find_first_not_of(Blanks, Start)) {
        const size_t End = std::min(List.find_first_of(Blanks, Start), List.size());
        if (List.substr(Start, End - Start) == Token)
            return true;
        Start = End;
    }
    return false;
}
