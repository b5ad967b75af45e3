// The XML document service over arbitrary bytes, loaded as a file and set as
// text: every node's name, namespace, attributes and text, and the lookups;
// each parsed with every run of element content elided and with none, and
// as a file whose runs stay in a stream read a few bytes at a time, which
// must all give the same answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/XMLFuzzDocument.h"
#include "tests/support/ChunkedStream.h"
#include "xml/XMLNodeLookup.h"

namespace {

// Enough to reach every kind of node without making deep inputs quadratic.
constexpr size_t MaxNodesVisited = 2000;

// What the accessors gave, for the comparison.
void Note(std::string& Seen, const std::u16string& Text)
{
    for (const char16_t C : Text) {
        Seen += static_cast<char>(C);
        Seen += static_cast<char>(C >> 8);
    }
    Seen += '\0';
}

void Visit(const IXMLDocument& Document, std::string& Seen)
{
    std::vector<IXMLNode> Pending;
    const IXMLNodeList TopLevel = Document->ChildNodes();
    for (int Index = 0; Index < TopLevel.Count(); ++Index)
        Pending.push_back(TopLevel[Index]);
    size_t Visited = 0;
    while (!Pending.empty() && Visited++ < MaxNodesVisited) {
        const IXMLNode Node = Pending.back();
        Pending.pop_back();
        Note(Seen, Node.NodeName());
        Node.LocalName();
        Node.NamespaceURI();
        try {
            Note(Seen, Node.Text());
        } catch (const Exception&) {
            Seen += "raised";
        }
        const IXMLNodeList Attributes = Node.AttributeNodes();
        for (int Index = 0; Index < Attributes.Count(); ++Index) {
            Attributes[Index].NamespaceURI();
            Note(Seen, Attributes[Index].Text());
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

// Everything the accessors gave, or the refusal with its message. Lasting:
// read as a file whose runs stay in a stream that gives a few bytes a read.
std::string Outcome(const uint8_t* Data, size_t Size, bool AsFile, size_t ElidedRunBytes, bool Lasting = false)
{
    std::string Seen;
    TChunkedStream Stream(Data, Size, 1 + static_cast<int64_t>(Size % 5));
    try {
        IXMLDocument Document;
        if (Lasting) {
            Document = NewXMLDocument();
            Document->SetElidedRunBytes(ElidedRunBytes);
            Document->LoadFromLastingStream(Stream);
        } else {
            Document = FuzzDocument(Data, Size, AsFile, ElidedRunBytes);
        }
        Document->SetOptions(0);
        Visit(Document, Seen);
    } catch (const Exception& Error) {
        // Text that is not well-formed is refused with an exception.
        Seen += "refused: " + Error.Message();
    }
    return Seen;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    for (const bool AsFile : {true, false})
        if (Outcome(Data, Size, AsFile, 1) != Outcome(Data, Size, AsFile, 0))
            std::abort();
    if (Outcome(Data, Size, true, 1, true) != Outcome(Data, Size, true, 0))
        std::abort();
    return 0;
}
