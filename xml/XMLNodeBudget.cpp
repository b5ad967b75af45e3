#include "xml/XMLNodeBudget.h"

#include <cstring>

#include "core/Limits.h"

namespace {

// pugixml keeps a node in 8 pointer-sized words and an attribute in 5,
// counted here at 8 bytes a word.
constexpr size_t NodeBytes = 8 * 8;
constexpr size_t AttributeBytes = 5 * 8;

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

// Bytes read a machine word at a time: a block of text holding none of '<',
// '=' and '>' (0x3C to 0x3E, the four values that share their upper six bits
// with 0x3F) adds nothing to the count while no text run may start in it.
constexpr size_t WordBytes = sizeof(size_t);
constexpr size_t BlockBytes = 4 * WordBytes;
constexpr size_t EachByte = ~size_t{0} / 0xFF;
constexpr size_t HighBits = EachByte * 0x80;

size_t LoadWord(const char* At)
{
    size_t Word;
    std::memcpy(&Word, At, WordBytes);
    return Word;
}

// Non-zero when a byte of Word is one of '<', '=', '>': XOR with '<' maps
// exactly those to 0, 1 and 2, and a byte below 3 is found without a false
// positive (a borrow runs on only from a byte that was found).
size_t MarkupBits(size_t Word)
{
    const size_t Folded = Word ^ (EachByte * '<');
    return (Folded - EachByte * 3) & ~Folded & HighBits;
}

// The first block of four words at or after At that holds a markup
// character, or the last part, shorter than a block.
const char* SkipPlainText(const char* At, const char* End)
{
    while (static_cast<size_t>(End - At) >= BlockBytes &&
           (MarkupBits(LoadWord(At)) | MarkupBits(LoadWord(At + WordBytes)) |
            MarkupBits(LoadWord(At + 2 * WordBytes)) | MarkupBits(LoadWord(At + 3 * WordBytes))) == 0)
        At += BlockBytes;
    return At;
}

}

// Byte by byte without branches on the bytes (markup is dense in the texts
// that matter here, and a mispredicted branch for each '=' costs more than
// the pass), except that plain text is skipped a block at a time where no
// text run may start: base64 pictures and prose are most of a book.
TNodeCount CountNodesAtMost(const char* Text, size_t Size)
{
    const char* End = Text + Size;
    TNodeCount Count;
    Count.Nodes = 1;
    // Whether a text run may start here: at the start and after a '>', for
    // as long as only blanks follow.
    bool AfterTag = true;
    const char* At = Text;
    while (At < End) {
        if (!AfterTag)
            At = SkipPlainText(At, End);
        const char* Stop = static_cast<size_t>(End - At) > BlockBytes ? At + BlockBytes : End;
        for (; At < Stop; ++At) {
            const char C = *At;
            const char Next = At + 1 < End ? At[1] : '\0';
            const bool Open = C == '<', Blank = IsBlank(C);
            Count.Attributes += C == '=';
            Count.Nodes += Open & (Next != '/');
            Count.Nodes += AfterTag & !Open & !Blank;
            AfterTag = (C == '>') | (AfterTag & Blank);
        }
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
