#include "xml/XMLNodeBudget.h"

#include <cstring>

#include "core/Limits.h"

namespace {

// pugixml keeps a node in 8 pointer-sized words and an attribute in 5,
// counted here at 8 bytes a word.
constexpr size_t NodeBytes = 8 * 8;
constexpr size_t AttributeBytes = 5 * 8;

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

// Calls Found with each position of Byte in [Text, End).
template <typename TFound>
void ForEach(const char* Text, const char* End, char Byte, TFound&& Found)
{
    while (Text < End) {
        const auto* Hit = static_cast<const char*>(std::memchr(Text, Byte, static_cast<size_t>(End - Text)));
        if (!Hit)
            return;
        Found(Hit);
        Text = Hit + 1;
    }
}

}

TNodeCount CountNodesAtMost(const char* Text, size_t Size)
{
    const char* End = Text + Size;
    TNodeCount Count;
    Count.Nodes = 1;
    ForEach(Text, End, '=', [&](const char*) { ++Count.Attributes; });
    ForEach(Text, End, '<', [&](const char* Open) {
        if (Open + 1 == End || Open[1] != '/')
            ++Count.Nodes;
    });
    const auto StartsText = [End](const char* Run) {
        while (Run < End && IsBlank(*Run))
            ++Run;
        return Run < End && *Run != '<';
    };
    if (StartsText(Text))
        ++Count.Nodes;
    ForEach(Text, End, '>', [&](const char* Close) {
        if (StartsText(Close + 1))
            ++Count.Nodes;
    });
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
