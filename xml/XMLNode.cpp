#include "xml/XMLNode.h"

#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "core/Strings.h"
#include "xml/XMLDocument.h"
#include "xml/XMLTreeWalk.h"
#include "xml/XMLWellFormed.h"
#include "platform/CodePages.h"

namespace {

constexpr const char* XmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr const char* XmlnsNamespace = "http://www.w3.org/2000/xmlns/";

std::u16string Wide(std::string_view Utf8) { return platform::MultiByteToWide(platform::cpUtf8, Utf8.data(), Utf8.size()); }
std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

std::string_view PrefixOf(std::string_view Name)
{
    const size_t Colon = Name.find(':');
    return Colon == std::string_view::npos ? std::string_view() : Name.substr(0, Colon);
}

std::string_view LocalOf(std::string_view Name)
{
    const size_t Colon = Name.find(':');
    return Colon == std::string_view::npos ? Name : Name.substr(Colon + 1);
}

// The URI bound to Prefix (empty: the default namespace) at Element.
std::string_view ResolvePrefix(TXMLDocument& Document, pugi::xml_node Element, std::string_view Prefix)
{
    if (Prefix == "xml")
        return XmlNamespace;
    return Document.Namespaces().Resolve(Element, Prefix);
}

// The name as pugixml holds it: of the attribute, or of the node.
std::string_view RawName(pugi::xml_node Node, pugi::xml_attribute Attribute)
{
    if (Attribute)
        return Attribute.name();
    return Node.name();
}

}

IXMLNode::IXMLNode(std::shared_ptr<TXMLDocument> Owner, pugi::xml_node Node) : FOwner(std::move(Owner)), FNode(Node) {}

IXMLNode::IXMLNode(std::shared_ptr<TXMLDocument> Owner, pugi::xml_node Element, pugi::xml_attribute Attribute)
    : FOwner(std::move(Owner)), FNode(Element), FAttribute(Attribute)
{
}

bool IXMLNode::operator==(const IXMLNode& Other) const
{
    return FOwner == Other.FOwner && FNode == Other.FNode && FAttribute == Other.FAttribute;
}

TNodeType IXMLNode::NodeType() const
{
    if (FAttribute)
        return ntAttribute;
    switch (FNode.type()) {
    case pugi::node_pcdata:
        return ntText;
    case pugi::node_cdata:
        return ntCData;
    case pugi::node_comment:
        return ntComment;
    case pugi::node_pi:
    case pugi::node_declaration:
        return ntProcessingInstr;
    case pugi::node_doctype:
        return ntDocType;
    default:
        return ntElement;
    }
}

std::u16string IXMLNode::NodeName() const
{
    switch (NodeType()) {
    case ntText:
        return u"#text";
    case ntCData:
        return u"#cdata-section";
    case ntComment:
        return u"#comment";
    case ntDocType:
        return Wide(DocTypeName(FNode.value()));
    default:
        return Wide(RawName(FNode, FAttribute));
    }
}

std::u16string IXMLNode::Prefix() const
{
    const TNodeType Type = NodeType();
    if (Type != ntElement && Type != ntAttribute)
        return std::u16string();
    return Wide(PrefixOf(RawName(FNode, FAttribute)));
}

std::u16string IXMLNode::LocalName() const
{
    const TNodeType Type = NodeType();
    if (Type != ntElement && Type != ntAttribute)
        return NodeName();
    return Wide(LocalOf(RawName(FNode, FAttribute)));
}

std::u16string IXMLNode::NamespaceURI() const
{
    if (!FOwner)
        return std::u16string();
    const TNodeType Type = NodeType();
    if (Type == ntElement)
        return Wide(ResolvePrefix(*FOwner, FNode, PrefixOf(FNode.name())));
    if (Type != ntAttribute)
        return std::u16string();
    const std::string_view Name = FAttribute.name();
    const std::string_view Prefix = PrefixOf(Name);
    if (Name == "xmlns" || Prefix == "xmlns")
        return Wide(XmlnsNamespace);
    // An attribute without a prefix is in no namespace.
    if (Prefix.empty())
        return std::u16string();
    return Wide(ResolvePrefix(*FOwner, FNode, Prefix));
}

IXMLNodeList IXMLNode::ChildNodes() const
{
    if (NodeType() == ntElement)
        return IXMLNodeList(FOwner, IXMLNodeList::lkChildren, FNode);
    return IXMLNodeList(FOwner, IXMLNodeList::lkChildren, pugi::xml_node());
}

IXMLNode IXMLNode::ParentNode() const
{
    if (!FOwner || FAttribute)
        return FOwner ? IXMLNode(FOwner, FNode) : IXMLNode();
    const pugi::xml_node Parent = FNode.parent();
    if (!Parent || Parent.type() == pugi::node_document)
        return IXMLNode();
    return IXMLNode(FOwner, Parent);
}

bool IXMLNode::ForEachElement(const std::function<bool(const IXMLNode&)>& Visit) const
{
    if (!FOwner || FAttribute)
        return true;
    if (FNode.type() == pugi::node_element && !Visit(*this))
        return false;
    return WalkDescendants(
        FNode,
        [&](pugi::xml_node Node) { return Node.type() != pugi::node_element || Visit(IXMLNode(FOwner, Node)); },
        [](pugi::xml_node) {});
}

IXMLNodeList IXMLNode::AttributeNodes() const
{
    const TNodeType Type = NodeType();
    if (Type == ntElement || (Type == ntProcessingInstr && FNode.type() == pugi::node_declaration))
        return IXMLNodeList(FOwner, IXMLNodeList::lkAttributes, FNode);
    return IXMLNodeList(FOwner, IXMLNodeList::lkAttributes, pugi::xml_node());
}

std::u16string IXMLNode::Attribute(const std::u16string& Name) const
{
    if (NodeType() != ntElement)
        return std::u16string();
    return Wide(FNode.attribute(Narrow(Name).c_str()).value());
}

std::u16string IXMLNode::Text() const
{
    if (!FAttribute && FNode.type() == pugi::node_element && !FNode.first_child()) {
        pugi::xml_node Element = FNode;
        Element.append_child(pugi::node_pcdata);
        return std::u16string();
    }
    return Wide(TextUtf8());
}

std::string_view IXMLNode::TextUtf8() const
{
    if (FAttribute)
        return FAttribute.value();
    if (FNode.type() != pugi::node_element)
        return FOwner ? FOwner->NodeValue(FNode) : std::string_view();
    const pugi::xml_node First = FNode.first_child();
    if (!First)
        return std::string_view();
    if (!First.next_sibling() && (First.type() == pugi::node_pcdata || First.type() == pugi::node_cdata))
        return FOwner->NodeValue(First);
    throw EXMLDocError("Element \"" + std::string(FNode.name()) + "\" does not contain a single text node");
}

IXMLNodeList::IXMLNodeList(std::shared_ptr<TXMLDocument> Owner, TListKind Kind, pugi::xml_node Parent)
    : FOwner(std::move(Owner)), FKind(Kind), FParent(Parent)
{
    if (Kind == lkAttributes) {
        for (pugi::xml_attribute Attribute : Parent.attributes())
            FAttributes.push_back(Attribute);
    } else {
        for (pugi::xml_node Child : Parent.children())
            FNodes.push_back(Child);
    }
    if (FAttributes.size() > INT_MAX || FNodes.size() > INT_MAX)
        throw EListError("List capacity out of bounds");
}

int IXMLNodeList::Count() const
{
    return static_cast<int>(FKind == lkAttributes ? FAttributes.size() : FNodes.size());
}

IXMLNode IXMLNodeList::Get(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (FKind == lkAttributes)
        return IXMLNode(FOwner, FParent, FAttributes[static_cast<size_t>(Index)]);
    return IXMLNode(FOwner, FNodes[static_cast<size_t>(Index)]);
}

IXMLNode IXMLNodeList::FindNode(const std::u16string& Name) const
{
    std::u16string OwnerNamespace;
    if (FKind == lkChildren && FParent)
        OwnerNamespace = IXMLNode(FOwner, FParent).NamespaceURI();
    for (int Index = 0; Index < Count(); ++Index) {
        IXMLNode Candidate = Get(Index);
        if (Candidate.NodeName() != Name && Candidate.LocalName() != Name)
            continue;
        if (!OwnerNamespace.empty() && !SameTextAscii(Candidate.NamespaceURI(), OwnerNamespace))
            continue;
        return Candidate;
    }
    return IXMLNode();
}

IXMLNode IXMLNodeList::GetOrCreate(const std::u16string& Name)
{
    if (IXMLNode Found = FindNode(Name))
        return Found;
    if (Name.empty() || !FParent)
        throw EXMLDocError("Cannot create a node named \"" + Narrow(Name) + "\" here");
    const std::string Utf8Name = Narrow(Name);
    if (FKind == lkAttributes) {
        pugi::xml_attribute Created = FParent.append_attribute(Utf8Name.c_str());
        FOwner->ForgetNamespaces();
        FAttributes.push_back(Created);
        return IXMLNode(FOwner, FParent, Created);
    }
    if (FKind == lkTopLevel && FParent.find_child([](pugi::xml_node Node) { return Node.type() == pugi::node_element; }))
        throw EXMLDocError("Only one top level element is allowed in an XML document");
    pugi::xml_node Created = FParent.append_child(Utf8Name.c_str());
    FNodes.push_back(Created);
    return IXMLNode(FOwner, Created);
}
