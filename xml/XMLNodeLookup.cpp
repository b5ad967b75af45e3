#include "xml/XMLNodeLookup.h"

IXMLNode FindDocumentChild(const IXMLDocument& Document, const std::u16string& Name)
{
    const IXMLNodeList Nodes = Document->ChildNodes();
    for (int Index = 0; Index < Nodes.Count(); ++Index) {
        IXMLNode Node = Nodes.Get(Index);
        if (Node.NodeName() == Name)
            return Node;
    }
    return IXMLNode();
}

IXMLNode SelectNodePath(const IXMLNode& Start, const std::u16string& Path)
{
    const bool AutoCreate = (Start.OwnerDocument()->Options() & doNodeAutoCreate) != 0;
    IXMLNode Current = Start;
    std::u16string Rest = Path;
    while (!Rest.empty() && Current) {
        const size_t Slash = Rest.find(u'/');
        std::u16string Segment = Rest.substr(0, Slash);
        Rest = Slash == std::u16string::npos ? std::u16string() : Rest.substr(Slash + 1);
        IXMLNodeList Candidates;
        if (!Segment.empty() && Segment[0] == u'@') {
            Segment.erase(0, 1);
            Candidates = Current.AttributeNodes();
        } else {
            Candidates = Current.ChildNodes();
        }
        Current = AutoCreate ? Candidates.GetOrCreate(Segment) : Candidates.FindNode(Segment);
    }
    return Current;
}
