#pragma once

#include <cstddef>
#include <string_view>

// A forgiving reader of XML markup for text that the document service
// refuses: it finds tags one after another and checks nothing about how they
// nest, which names they use or which entities they refer to. Comments,
// CDATA sections, processing instructions and the document type declaration
// are passed over. One pass over the text, each byte looked at a bounded
// number of times; a construct left open at the end of the text (a file cut
// short) ends the scan.

enum class TXMLTagKind { Start, End, Empty };

struct TXMLTag {
    TXMLTagKind Kind = TXMLTagKind::Start;
    std::string_view Name;        // the qualified name as written
    std::string_view Attributes;  // what lies between the name and '>' ("/" of an empty tag excluded)
    size_t Begin = 0;             // offset of '<'
    size_t End = 0;               // offset just after '>'
};

class TXMLTagScanner {
public:
    explicit TXMLTagScanner(std::string_view Text) : FText(Text) {}

    // The next tag from the scan position on; false at the end of the text or
    // at a construct it leaves open.
    bool Next(TXMLTag& Tag);
    // Moves the scan on to Offset (never back).
    void SkipTo(size_t Offset);
    std::string_view Text() const { return FText; }
    // The name a document type declaration passed over declares; empty
    // when none was.
    std::string_view DocTypeName() const { return FDocTypeName; }

private:
    bool PassOver(size_t From, std::string_view Terminator);
    bool PassOverDocType(size_t From);

    std::string_view FText;
    size_t FPosition = 0;
    std::string_view FDocTypeName;
};

// Calls Take(name, value) for each name="value" or name='value' pair of a
// tag's attribute text, in order, until Take returns false or the text stops
// being attributes. Values are given as written, references not expanded.
template <typename TTake>
void ForEachXMLAttribute(std::string_view Attributes, TTake Take);

// The part of a qualified name after its colon, and the part before (empty
// when there is none).
std::string_view XMLLocalName(std::string_view QualifiedName);
std::string_view XMLPrefix(std::string_view QualifiedName);

// --- implementation of the template

namespace XMLTagScanDetail {
inline bool IsSpace(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }
}

template <typename TTake>
void ForEachXMLAttribute(std::string_view Attributes, TTake Take)
{
    using XMLTagScanDetail::IsSpace;
    size_t At = 0;
    const size_t Size = Attributes.size();
    for (;;) {
        while (At < Size && IsSpace(Attributes[At]))
            ++At;
        const size_t NameBegin = At;
        while (At < Size && !IsSpace(Attributes[At]) && Attributes[At] != '=')
            ++At;
        const std::string_view Name = Attributes.substr(NameBegin, At - NameBegin);
        while (At < Size && IsSpace(Attributes[At]))
            ++At;
        if (Name.empty() || At == Size || Attributes[At] != '=')
            return;
        ++At;
        while (At < Size && IsSpace(Attributes[At]))
            ++At;
        if (At == Size || (Attributes[At] != '"' && Attributes[At] != '\''))
            return;
        const size_t Close = Attributes.find(Attributes[At], At + 1);
        if (Close == std::string_view::npos)
            return;
        if (!Take(Name, Attributes.substr(At + 1, Close - At - 1)))
            return;
        At = Close + 1;
    }
}
