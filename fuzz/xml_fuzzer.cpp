// The XML document service over arbitrary bytes, loaded as a file and set as
// text: every node's name, namespace, attributes and text, and the lookups.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/XMLFuzzDocument.h"
#include "xml/XMLNodeLookup.h"

namespace {

// Enough to reach every kind of node without making deep inputs quadratic.
constexpr size_t MaxNodesVisited = 2000;

void Visit(const IXMLDocument& Document)
{
    std::vector<IXMLNode> Pending;
    const IXMLNodeList TopLevel = Document->ChildNodes();
    for (int Index = 0; Index < TopLevel.Count(); ++Index)
        Pending.push_back(TopLevel[Index]);
    size_t Visited = 0;
    while (!Pending.empty() && Visited++ < MaxNodesVisited) {
        const IXMLNode Node = Pending.back();
        Pending.pop_back();
        Node.NodeName();
        Node.LocalName();
        Node.NamespaceURI();
        try {
            Node.Text();
        } catch (const Exception&) {
        }
        const IXMLNodeList Attributes = Node.AttributeNodes();
        for (int Index = 0; Index < Attributes.Count(); ++Index) {
            Attributes[Index].NamespaceURI();
            Attributes[Index].Text();
        }
        const IXMLNodeList Children = Node.ChildNodes();
        Children.FindNode(u"a");
        for (int Index = 0; Index < Children.Count(); ++Index)
            Pending.push_back(Children[Index]);
    }
    if (const IXMLNode Root = Document->DocumentElement()) {
        FindDocumentChild(Document, Root.NodeName());
        SelectNodePath(Root, u"a/b/@c");
        SelectNodePath(Root, u"/a//");
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    for (const bool AsFile : {true, false}) {
        try {
            IXMLDocument Document = FuzzDocument(Data, Size, AsFile);
            Document->SetOptions(0);
            Visit(Document);
        } catch (const Exception&) {
            // Text that is not well-formed is refused with an exception; only
            // crashes, hangs and leaks are findings.
        }
    }
    return 0;
}
