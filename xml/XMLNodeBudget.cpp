#include "xml/XMLNodeBudget.h"

#include "core/Limits.h"

namespace {

// pugixml keeps a node in 8 pointer-sized words and an attribute in 5,
// counted here at 8 bytes a word.
constexpr size_t NodeBytes = 8 * 8;
constexpr size_t AttributeBytes = 5 * 8;

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

}

// One pass over the bytes, without branches on them: markup is dense in the
// texts that matter here, and both a call of memchr for each of ten million
// '=' and a mispredicted branch for each cost more than the pass.
TNodeCount CountNodesAtMost(const char* Text, size_t Size)
{
    const char* End = Text + Size;
    TNodeCount Count;
    Count.Nodes = 1;
    // Whether a text run may start here: at the start and after a '>', for
    // as long as only blanks follow.
    bool AfterTag = true;
    for (const char* At = Text; At < End; ++At) {
        const char C = *At;
        const char Next = At + 1 < End ? At[1] : '\0';
        const bool Open = C == '<', Blank = IsBlank(C);
        Count.Attributes += C == '=';
        Count.Nodes += Open & (Next != '/');
        Count.Nodes += AfterTag & !Open & !Blank;
        AfterTag = (C == '>') | (AfterTag & Blank);
    }
    return Count;
}

bool WithinNodeBudget(const TNodeCount& Count, size_t TextBytes)
{
    size_t Left = Limits::XMLParseBytes;
    if (TextBytes > Left)
        return false;
    Left -= TextBytes;
    if (Count.Nodes > Left / NodeBytes)
        return false;
    Left -= Count.Nodes * NodeBytes;
    return Count.Attributes <= Left / AttributeBytes;
}
