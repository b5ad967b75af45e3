#include <gtest/gtest.h>

#include "xml/XMLElements.h"
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

namespace {

IXMLDocument Lenient(const std::string& Text)
{
    return ParseLenientXML(reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
}

// What books write loosely: the lenient parse reads it as a browser would,
// the strict one refuses it.
TEST(LenientDocument, AcceptsWhatTheStrictParseRefuses)
{
    const struct {
        const char* Text;
        const char16_t* Value;  // of the root's first child; nullptr: no document
        bool StrictRefuses;
    } Cases[] = {
        {"<p>a&nbsp;b</p>", u"a&nbsp;b", true},
        {"<p>&lt;&#65;&amp;</p>", u"<A&", false},
        {"<x:p>text</x:p>", u"text", true},
        {"<p>one</p><p>two</p>", u"one", true},
        {"<p>cut short", nullptr, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const IXMLDocument Document = Lenient(Case.Text);
        ASSERT_EQ(bool(Document), Case.Value != nullptr);
        if (Case.Value) {
            EXPECT_EQ(Document->DocumentElement().ChildNodes()[0].Text(), Case.Value);
        }
        if (Case.StrictRefuses)
            EXPECT_THROW(DocumentFromText(Case.Text)->Activate(), EDOMParseError);
        else
            EXPECT_NO_THROW(DocumentFromText(Case.Text)->Activate());
    }
    EXPECT_FALSE(Lenient(""));
}

TEST(LenientDocument, ElementsByNameAndTheWalk)
{
    const IXMLDocument Document = Lenient("<?pi x?><!--c--><package><manifest><item id='a'/>text<itemx id='b'/>"
                                          "<item id='c'><svg:image xmlns:svg='s'/></item></manifest></package>");
    const IXMLNode Manifest = ChildElement(DocumentChildElement(Document, u"package"), u"manifest");
    std::u16string Ids;
    ForEachChildElement(Manifest, u"item", [&Ids](const IXMLNode& Item) { Ids += Item.Attribute(u"id"); });
    EXPECT_EQ(Ids, u"ac");
    ForEachChildElement(Manifest, u"", [&Ids](const IXMLNode& Child) { Ids += Child.LocalName(); });
    EXPECT_EQ(Ids, u"acitemitemxitem");
    EXPECT_FALSE(ChildElement(IXMLNode(), u"item"));
    std::u16string Walk;
    Manifest.ForEachElement([&Walk](const IXMLNode& Node) {
        Walk += Node.LocalName() + u" ";
        return !HasLocalName(Node, u"image");
    });
    EXPECT_EQ(Walk, u"manifest item itemx item image ");
    IXMLNode Image;
    Manifest.ForEachElement([&Image](const IXMLNode& Node) {
        Image = Node;
        return true;
    });
    EXPECT_EQ(Image.ParentNode().Attribute(u"id"), u"c");
    EXPECT_FALSE(DocumentChildElement(Document, u"package").ParentNode());
    EXPECT_TRUE(HasToken(" nav\tcover-image ", "cover-image"));
    EXPECT_FALSE(HasToken("cover-images", "cover-image"));
}

}
