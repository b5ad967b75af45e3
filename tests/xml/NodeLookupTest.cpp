#include <gtest/gtest.h>

#include "xml/XMLNodeLookup.h"
#include "tests/xml/XMLTestDocuments.h"
#include "tests/support/TempDir.h"

namespace {

// Lookups run with the options cleared, as every caller does.
IXMLDocument Plain(const std::string& Text)
{
    IXMLDocument Document = DocumentFromText(Text);
    Document->SetOptions(0);
    return Document;
}

TEST(FindDocumentChild, MatchesTheWholeNodeNameExactly)
{
    const struct {
        const char* Text;
        const char16_t* Name;
        bool Found;
    } Cases[] = {
        {"<FictionBook/>", u"FictionBook", true},
        {"<FictionBook/>", u"fictionbook", false},
        {"<fb:FictionBook xmlns:fb='urn:fb'/>", u"FictionBook", false},
        {"<fb:FictionBook xmlns:fb='urn:fb'/>", u"fb:FictionBook", true},
        {"<?FictionBook x?><r/>", u"FictionBook", true},
        {"<!--c--><r/>", u"#comment", true},
        {"", u"FictionBook", false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        EXPECT_EQ(bool(FindDocumentChild(Plain(Case.Text), Case.Name)), Case.Found);
    }
}

TEST(FindDocumentChild, TakesTheDocumentTypeDeclarationThatPrecedesTheRoot)
{
    IXMLNode Found = FindDocumentChild(Plain("<!DOCTYPE FictionBook><FictionBook/>"), u"FictionBook");
    ASSERT_TRUE(Found);
    EXPECT_EQ(Found.NodeType(), ntDocType);
}

TEST(FindDocumentChild, PendingTextIsParsedAndItsErrorsPassThrough)
{
    IXMLDocument Document = Plain("<FictionBook>&nbsp;</FictionBook>");
    EXPECT_THROW(FindDocumentChild(Document, u"FictionBook"), EDOMParseError);
}

const char* const Tree = "<r xmlns:l='urn:l'>"
                         "<a><b id='first'/><b id='second'><c/></b></a>"
                         "<a><b><c id='later'/></b></a>"
                         "<img l:href='#x' href='plain'/>"
                         "<e><d id='empty-name-parent'/></e>"
                         "</r>";

struct TPathCase {
    const char16_t* Path;
    const char16_t* ExpectedId;  // nullptr: no node
};

TEST(SelectNodePath, FollowsTheFirstMatchOfEachSegment)
{
    IXMLDocument Document = Plain(Tree);
    const IXMLNode Root = Document->DocumentElement();
    const TPathCase Cases[] = {
        {u"a/b", u"first"},
        {u"a/b/", u"first"},
        // The first 'a/b' has no 'c'; the later ones are never tried.
        {u"a/b/c", nullptr},
        {u"x/b/c", nullptr},
        {u"/a", nullptr},
        {u"a//b", nullptr},
    };
    for (const TPathCase& Case : Cases) {
        SCOPED_TRACE(Utf8(Case.Path));
        const IXMLNode Node = SelectNodePath(Root, Case.Path);
        if (!Case.ExpectedId) {
            EXPECT_FALSE(Node);
            continue;
        }
        ASSERT_TRUE(Node);
        EXPECT_EQ(Node.Attribute(u"id"), Case.ExpectedId);
    }
}

TEST(SelectNodePath, EmptyPathIsTheStartNode)
{
    IXMLDocument Document = Plain(Tree);
    const IXMLNode Root = Document->DocumentElement();
    EXPECT_TRUE(SelectNodePath(Root, u"") == Root);
    EXPECT_TRUE(SelectNodePath(Root, u"a/b/") == SelectNodePath(Root, u"a/b"));
}

TEST(SelectNodePath, AttributeSegmentsMatchQualifiedOrLocalName)
{
    IXMLDocument Document = Plain(Tree);
    const IXMLNode Root = Document->DocumentElement();
    const IXMLNode Href = SelectNodePath(Root, u"img/@href");
    ASSERT_TRUE(Href);
    EXPECT_EQ(Href.NodeName(), u"l:href");
    EXPECT_EQ(Href.Text(), u"#x");
    EXPECT_EQ(SelectNodePath(Root, u"img/@l:href"), Href);
    EXPECT_FALSE(SelectNodePath(Root, u"img/@src"));
    // Below an attribute there is nothing to find.
    EXPECT_FALSE(SelectNodePath(Root, u"img/@href/x"));
}

TEST(SelectNodePath, WithAutoCreateMissingStepsAreCreated)
{
    IXMLDocument Document = DocumentFromText(Tree);
    ASSERT_TRUE(Document->Options() & doNodeAutoCreate);
    const IXMLNode Root = Document->DocumentElement();
    const IXMLNode Created = SelectNodePath(Root, u"a/b/c/new/@attr");
    ASSERT_TRUE(Created);
    EXPECT_EQ(Created.NodeType(), ntAttribute);
    // Created below the first 'a/b', as a new last child.
    const IXMLNode First = SelectNodePath(Root, u"a/b");
    const IXMLNodeList Children = First.ChildNodes();
    ASSERT_EQ(Children.Count(), 1);
    EXPECT_EQ(Children[0].NodeName(), u"c");
    EXPECT_EQ(SelectNodePath(Root, u"a/b/c/new/@attr"), Created);
    EXPECT_THROW(SelectNodePath(Root, u"a//b"), EXMLDocError);
}

}
