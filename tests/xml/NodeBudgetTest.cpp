#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "xml/XMLNodeBudget.h"

namespace {

// The count as one plain pass over the bytes: the budget decides which
// documents are parsed, so the fast count must give exactly this.
TNodeCount CountByBytes(const std::string& Text)
{
    TNodeCount Count{1, 0};
    bool AfterTag = true;
    for (size_t At = 0; At < Text.size(); ++At) {
        const char C = Text[At], Next = At + 1 < Text.size() ? Text[At + 1] : '\0';
        const bool Blank = C == ' ' || C == '\t' || C == '\r' || C == '\n';
        Count.Attributes += C == '=';
        Count.Nodes += C == '<' && Next != '/';
        Count.Nodes += AfterTag && C != '<' && !Blank;
        AfterTag = C == '>' || (AfterTag && Blank);
    }
    return Count;
}

void ExpectSameCount(const std::string& Text)
{
    const TNodeCount Expected = CountByBytes(Text), Counted = CountNodesAtMost(Text.data(), Text.size());
    EXPECT_EQ(Counted.Nodes, Expected.Nodes) << '"' << Text << '"';
    EXPECT_EQ(Counted.Attributes, Expected.Attributes) << '"' << Text << '"';
}

}

// Each piece of markup at every offset of plain text (and of blanks after a
// tag) longer than the blocks the count skips by, so that each of its bytes
// lands first, last and inside a word and a block, with text before and after.
TEST(XMLNodeBudget, CountIsTheBytewiseCountWhereverMarkupFallsInTheBlocks)
{
    const std::string Pieces[] = {
        "</a>", "<a/>", "<", "/", ">", "=", "<=>", "</", "<<//", "> \t\r\n t", ">\n\n<", ">>", "> =",
        "<a b='1' c=\"x>y\">", "<![CDATA[<z>]]>", "<?pi a=b?>", "\xD0\x9A\x3C\xD0\xBD", "?>?<?=?", ";:<>=?",
    };
    const std::string Surroundings[] = {"x", " ", ">", "\xBC"};
    constexpr size_t Around = 4 * 2 * sizeof(size_t) + 3;
    for (const std::string& Piece : Pieces)
        for (const std::string& Fill : Surroundings)
            for (size_t Before = 0; Before <= Around; ++Before) {
                std::string Text;
                for (size_t I = 0; I < Before; ++I)
                    Text += Fill;
                Text += Piece;
                for (size_t After = 0; After <= Around; After += Before % 5 + 1) {
                    ExpectSameCount(Text);
                    Text += Fill;
                }
            }
    for (size_t Words = 0; Words <= 9; ++Words) {
        ExpectSameCount(std::string(Words * sizeof(size_t), 'x'));
        ExpectSameCount("<a>" + std::string(Words * sizeof(size_t), ' ') + "</a>");
    }
}

// Random markup of many seeds: dense, and sparse in long plain runs.
TEST(XMLNodeBudget, CountIsTheBytewiseCountOnRandomMarkup)
{
    const std::string Dense = "<>/= \n\tax", Sparse = "<>/=\n";
    for (uint32_t Seed = 0; Seed < 3000; ++Seed) {
        std::mt19937 Random(Seed);
        const bool IsDense = Seed % 2 == 0;
        const size_t Size = Random() % (IsDense ? 200 : 3000);
        std::string Text;
        for (size_t I = 0; I < Size; ++I) {
            if (IsDense)
                Text += Dense[Random() % Dense.size()];
            else
                Text += Random() % 40 ? static_cast<char>('A' + Random() % 26) : Sparse[Random() % Sparse.size()];
        }
        ExpectSameCount(Text);
    }
}
