#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/MemoryStream.h"
#include "tests/support/ChunkedStream.h"
#include "xml/XMLDocument.h"
#include "xml/XMLNodeBudget.h"
#include "xml/XMLRunElision.h"

namespace {

struct TElisionCase {
    const char* Name;
    std::string Text;
    size_t Runs;  // elided with runs of one byte
};

// Well-formed and not: each piece of markup the scan must know, with text
// inside and around it.
const TElisionCase Cases[] = {
    {"plain", "<r>abc</r>", 1},
    {"nested", "<a><b><c>x</c>y</b>z<d/>w</a>", 4},
    {"blanks only are no run", "<r> \r\n <a>x</a>\n</r>", 1},
    {"comment", "<r><!-- <x> -- a>b -->t</r>", 1},
    {"comment left open", "<r>x<!-- y</r>", 1},
    {"CDATA", "<r><![CDATA[ a<b>c ]]>t</r>", 1},
    {"processing instruction", "<?pi a>b?><r><?pi a>b ?>t</r>", 1},
    {"declaration inside an element", "<r><?xml version='1.0'?>x</r>", 1},
    {"quoted '>' and '/'", "<r a='x>y' b=\"q/>\"><e c='/'/>t</r>", 1},
    {"line ends", "<r>a\r\nb\rc\r</r>", 1},
    {"references", "<r>a&amp;b<s>&#65;</s>c&undeclared;d</r>", 0},
    {"'>' in text", "<r>a>b]]>c</r>", 0},
    {"'=' in text", "<r>a=b==</r>", 1},
    {"text at top level", "t<r>x</r>t", 1},
    {"unclosed", "<r>x", 0},
    {"mismatched", "<r>x</s>y", 1},
    {"stray '<'", "<r>x<<y</r>", 1},
    {"end tag at top level", "</r><r>x</r>", 0},
    {"document type", "<!DOCTYPE r SYSTEM \"a>b\"><r>x</r>", 1},
    {"document type with internal subset", "<!DOCTYPE r [<!ENTITY e \"v\">]><r>x&e;y</r>", 0},
    {"document type inside an element", "<r>x<!DOCTYPE r>y</r>", 0},
    {"unknown declaration", "<r>x<!ELEMENT r>y</r>", 0},
    {"UTF-8", "\xEF\xBB\xBF<r>\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0</r>", 1},
    {"Latin-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xC0x</r>", 1},
    {"NUL in a run", std::string("<r>a\0b</r>", 10), 0},
    {"runs among elements", "<r><a>abcdefgh</a><b>ijklmnop</b>q</r>", 3},
    {"blanks before text in a run", "<r>    \n   ab</r>", 1},
    {"a run, then a doubt", "<r>abcdef</r><!ELEMENT r>", 0},
    {"'&' late in a long run", "<r>abcdef&amp;g</r>", 0},
    {"a long run left open", "<r>abcdefgh", 0},
};

// Every node of the document through the public accessors, or why it was refused.
std::string Dump(const IXMLNode& Node)
{
    std::string Out = std::to_string(Node.NodeType()) + ":";
    for (char16_t C : Node.NodeName() + u"=")
        Out += static_cast<char>(C);
    try {
        Out += std::string(Node.TextUtf8());
    } catch (const EXMLDocError&) {
        Out += "(mixed)";
    }
    const IXMLNodeList Attributes = Node.AttributeNodes();
    for (int Index = 0; Index < Attributes.Count(); ++Index)
        Out += " @" + Dump(Attributes[Index]);
    const IXMLNodeList Children = Node.ChildNodes();
    for (int Index = 0; Index < Children.Count(); ++Index)
        Out += " {" + Dump(Children[Index]) + "}";
    return Out;
}

// How a document is made from its text: as text, as a file, or as a file
// whose long runs stay in a stream that gives Chunk bytes a read.
enum class TLoad { AsText, AsFile, Lasting };

std::string Dump(const std::string& Text, TLoad Load, size_t ElidedRunBytes, int64_t Chunk = 1)
{
    IXMLDocument Document = NewXMLDocument();
    Document->SetElidedRunBytes(ElidedRunBytes);
    TPointerReadOnlyStream Stream(Text.data(), static_cast<intptr_t>(Text.size()));
    TChunkedStream Chunked(Text.data(), Text.size(), Chunk);
    try {
        if (Load == TLoad::AsFile)
            Document->LoadFromStream(Stream);
        else if (Load == TLoad::Lasting)
            Document->LoadFromLastingStream(Chunked);
        else
            SetXMLTextFromStream(Document, Stream);
        std::string Out;
        const IXMLNodeList TopLevel = Document->ChildNodes();
        for (int Index = 0; Index < TopLevel.Count(); ++Index)
            Out += Dump(TopLevel[Index]) + "\n";
        return Out;
    } catch (const EDOMParseError& Error) {
        return "refused: " + Error.Message();
    }
}

}

// Read as a file and as text, with every run elided and with none, and as a
// file whose runs are read again from the stream, in windows that end at
// every byte and in longer ones: the same answer, the same refusal with the
// same offset, the same value of every node.
TEST(RunElision, ChangesNothingAnAccessorSees)
{
    for (const TElisionCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        for (const TLoad Load : {TLoad::AsFile, TLoad::AsText})
            EXPECT_EQ(Dump(Case.Text, Load, 1), Dump(Case.Text, Load, 0)) << (Load == TLoad::AsFile ? "as a file" : "as text");
        const std::string Whole = Dump(Case.Text, TLoad::AsFile, 0);
        for (const int64_t Chunk : {1, 2, 5, 1000})
            for (const size_t MinRun : {1, 3})
                EXPECT_EQ(Dump(Case.Text, TLoad::Lasting, MinRun, Chunk), Whole) << Chunk << "-byte reads, runs of " << MinRun;
    }
    EXPECT_NE(Dump("<r>x</s>", TLoad::AsFile, 0).find("refused"), std::string::npos);
}

// Which runs the scan elides, and that the text's node count is the
// skeleton's with the runs' '=' as attributes.
TEST(RunElision, ElidesContentRunsOnlyAndKeepsTheNodeCount)
{
    for (const TElisionCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TRunElision Elision;
        const bool Elided = ElideLongRuns(Case.Text.data(), Case.Text.size(), 1, SIZE_MAX, Elision);
        EXPECT_EQ(Elided ? Elision.Runs.size() : 0, Case.Runs);
        if (!Elided)
            continue;
        const TNodeCount Text = CountNodesAtMost(Case.Text.data(), Case.Text.size());
        const TNodeCount Skeleton = CountNodesAtMost(Elision.Skeleton.Data(), Elision.Skeleton.Size());
        EXPECT_EQ(Skeleton.Nodes, Text.Nodes);
        EXPECT_EQ(Skeleton.Attributes + Elision.Equals, Text.Attributes);
    }
    TRunElision Elision;
    EXPECT_FALSE(ElideLongRuns("<r>abc</r>", 10, 4, SIZE_MAX, Elision));
    EXPECT_TRUE(ElideLongRuns("<r>abcd</r>", 11, 4, SIZE_MAX, Elision));
    // A skeleton larger than the room left for it is not made.
    EXPECT_FALSE(ElideLongRuns("<r>abcd</r>", 11, 4, 7, Elision));
    EXPECT_TRUE(ElideLongRuns("<r>abcd</r>", 11, 4, 8, Elision));
    EXPECT_EQ(std::string(Elision.Skeleton.Data(), Elision.Skeleton.Size()), "<r>x</r>");
}
