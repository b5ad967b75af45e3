#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

class TXMLDocument;

enum TNodeType { ntElement, ntAttribute, ntText, ntCData, ntProcessingInstr, ntComment, ntDocType };

class IXMLNodeList;

// A reference to one node of a document: an element, an attribute, text,
// CDATA, a processing instruction, a comment or the document type
// declaration. It keeps its document alive. A default-made node is none.
class IXMLNode {
public:
    IXMLNode() = default;

    explicit operator bool() const { return FOwner != nullptr; }
    // The same node of the same document.
    bool operator==(const IXMLNode& Other) const;

    TNodeType NodeType() const;
    // The qualified name as written, prefix included; "#text", "#cdata-section"
    // and "#comment" for those nodes; the declared name of a document type.
    std::u16string NodeName() const;
    std::u16string Prefix() const;
    std::u16string LocalName() const;
    // Resolved from the xmlns declarations in scope; empty when there is none.
    std::u16string NamespaceURI() const;

    IXMLNodeList ChildNodes() const;
    // The element that holds this node (of an attribute, its element); none
    // for the document's top-level nodes.
    IXMLNode ParentNode() const;
    // Visit(element) for this node when it is an element and for every
    // element below it, in document order, until Visit returns false; says
    // whether the walk went to its end.
    bool ForEachElement(const std::function<bool(const IXMLNode&)>& Visit) const;
    // Namespace declarations included, in document order.
    IXMLNodeList AttributeNodes() const;
    // The value of the attribute with this qualified name; empty when missing.
    std::u16string Attribute(const std::u16string& Name) const;
    // Of an attribute, its value; of an element whose only child is text or
    // CDATA, that child's value; of an element without children the empty
    // string, after appending an empty text child; any other element raises
    // EXMLDocError. Other nodes give their value.
    std::u16string Text() const;
    // Text's UTF-8 form as the document holds it, without a copy and without
    // appending to an empty element; valid while the document lives. Raises
    // as Text does.
    std::string_view TextUtf8() const;

    const std::shared_ptr<TXMLDocument>& OwnerDocument() const { return FOwner; }

private:
    friend class TXMLDocument;
    friend class IXMLNodeList;

    IXMLNode(std::shared_ptr<TXMLDocument> Owner, pugi::xml_node Node);
    IXMLNode(std::shared_ptr<TXMLDocument> Owner, pugi::xml_node Element, pugi::xml_attribute Attribute);

    std::shared_ptr<TXMLDocument> FOwner;
    // The node itself, or the element that holds FAttribute.
    pugi::xml_node FNode;
    pugi::xml_attribute FAttribute;
};

// The children or attributes of a node, or the top-level nodes of a document,
// as they were when the list was taken.
class IXMLNodeList {
public:
    IXMLNodeList() = default;

    int Count() const;
    // 0-based; out of range raises EListError.
    IXMLNode Get(int Index) const;
    IXMLNode operator[](int Index) const { return Get(Index); }
    // The first node whose qualified or local name is Name, case-sensitive. In
    // the child list of a node with a namespace URI only children with that
    // URI (ASCII case ignored) qualify. None when nothing matches.
    IXMLNode FindNode(const std::u16string& Name) const;
    // FindNode, but a missing name is created: a new last child element, or a
    // new attribute. Among the top-level nodes, where a root element exists,
    // a missing name raises EXMLDocError.
    IXMLNode GetOrCreate(const std::u16string& Name);

private:
    friend class IXMLNode;
    friend class TXMLDocument;

    enum TListKind { lkTopLevel, lkChildren, lkAttributes };

    IXMLNodeList(std::shared_ptr<TXMLDocument> Owner, TListKind Kind, pugi::xml_node Parent);

    std::shared_ptr<TXMLDocument> FOwner;
    TListKind FKind = lkChildren;
    pugi::xml_node FParent;
    // One of the two is filled, by FKind.
    std::vector<pugi::xml_node> FNodes;
    std::vector<pugi::xml_attribute> FAttributes;
};
