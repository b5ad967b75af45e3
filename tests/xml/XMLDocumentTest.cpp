#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <utility>

#include "core/FileStream.h"
#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "xml/XMLDocument.h"
#include "xml/XMLNodeBudget.h"
#include "xml/XMLText.h"
#include "platform/CodePages.h"
#include "tests/xml/XMLTestDocuments.h"
#include "tests/support/FailureOf.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/TempDir.h"

namespace {

std::u16string W(const std::string& Utf8) { return platform::MultiByteToWide(platform::cpUtf8, Utf8); }

std::u16string RootText(const IXMLDocument& Document) { return Document->DocumentElement().Text(); }

// The Cyrillic word "Книга", the non-ASCII text of the encoding cases.
const std::string Kniga = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";

struct TTextCase {
    const char* Name;
    std::string Bytes;
    std::u16string Expected;
};

TEST(XMLDocumentText, DecodedByByteOrderMarkElseAnsiWhateverTheDeclarationSays)
{
    const std::string Doc1251 = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><t id=\"x\">" + Kniga + "</t>";
    const std::string Cp1251 = Utf8ToCp1251(Doc1251);
    const std::string Utf16Declared =
        "<?xml version=\"1.0\" encoding=\"utf-16\"?><t id=\"x\">" + Kniga + "</t>";
    const TTextCase Cases[] = {
        {"UTF-8 with mark, declared windows-1251", "\xEF\xBB\xBF" + Doc1251, W(Kniga)},
        {"UTF-16LE with mark", Utf16WithBom(Utf16Declared, false), W(Kniga)},
        {"UTF-16BE with mark", Utf16WithBom(Utf16Declared, true), W(Kniga)},
        // Without a mark the ANSI code page decides, not the declaration.
        {"UTF-8 without mark", Doc1251, platform::MultiByteToWide(platform::cpAnsi, Kniga)},
        {"windows-1251 without mark", Cp1251,
         platform::MultiByteToWide(platform::cpAnsi, Cp1251.substr(Cp1251.find("\">") + 2, 5))},
    };
    for (const TTextCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        IXMLDocument Document = DocumentFromText(Case.Bytes);
        EXPECT_FALSE(Document->Active());
        IXMLNode Root = Document->DocumentElement();
        ASSERT_TRUE(Root);
        EXPECT_EQ(Root.NodeName(), u"t");
        EXPECT_EQ(Root.Attribute(u"id"), u"x");
        EXPECT_EQ(Root.Text(), Case.Expected);
    }
}

TEST(XMLDocumentText, EndsAtTheFirstNulAndIsParsedOnFirstUse)
{
    EXPECT_EQ(RootText(DocumentFromText(std::string("<t>a</t>\0<broken", 16))), u"a");
    EXPECT_EQ(RootText(DocumentFromText(Utf16WithBom(std::string("<t>a</t>\0<broken", 16), false))), u"a");

    IXMLDocument Broken = DocumentFromText("<t>a</u>");
    EXPECT_THROW(Broken->Activate(), EDOMParseError);
    // The failed text stays the document's text.
    EXPECT_THROW(Broken->ChildNodes(), EDOMParseError);
}

TEST(XMLDocumentText, EmptyTextGivesAnEmptyDocument)
{
    IXMLDocument Document = DocumentFromText("");
    EXPECT_EQ(Document->ChildNodes().Count(), 0);
    EXPECT_TRUE(Document->Active());
    EXPECT_FALSE(Document->DocumentElement());
    // A NUL first is empty text too.
    EXPECT_EQ(DocumentFromText(std::string("\0<t/>", 5))->ChildNodes().Count(), 0);
}

TEST(XMLDocumentText, ConversionPiecesNeverSplitACharacter)
{
    // Long enough for many conversion pieces, with multi-byte characters and
    // surrogate pairs at every offset.
    std::string Content;
    while (Content.size() < 300000)
        Content += Kniga + "\xF0\x9F\x93\x96" + "ab";
    const std::string Text = "<t>" + Content + "</t>";
    const std::u16string Expected = W(Content);
    // Compared whole, but not printed whole when they differ.
    EXPECT_TRUE(RootText(DocumentFromText("\xEF\xBB\xBF" + Text)) == Expected);
    EXPECT_TRUE(RootText(DocumentFromText(Utf16WithBom(Text, false))) == Expected);
    EXPECT_TRUE(RootText(DocumentFromText(Utf16WithBom(Text, true))) == Expected);
    EXPECT_TRUE(RootText(DocumentFromText(Text)) == platform::MultiByteToWide(platform::cpAnsi, Content));
}

TEST(XMLDocumentText, MalformedUtf8IsReplacedNotPassedOn)
{
    // The parser gets well-formed UTF-8: an invalid byte becomes U+FFFD.
    const std::string Text = "\xEF\xBB\xBF<a>\xFF</a>";
    TXMLBuffer Raw(Text.size());
    std::memcpy(Raw.Data(), Text.data(), Text.size());
    Raw.SetSize(Text.size());
    const TXMLBuffer Decoded = DecodeXMLText(std::move(Raw));
    EXPECT_EQ(std::string(Decoded.Data(), Decoded.Size()), "<a>\xEF\xBF\xBD</a>");
}

// Counts what is read from it.
class TCountingStream : public TPointerReadOnlyStream {
public:
    explicit TCountingStream(const std::string& Bytes)
        : TPointerReadOnlyStream(Bytes.data(), static_cast<intptr_t>(Bytes.size()))
    {
    }
    int64_t Read(void* Buffer, int64_t Count) override
    {
        const int64_t Got = TPointerReadOnlyStream::Read(Buffer, Count);
        BytesRead += Got > 0 ? Got : 0;
        return Got;
    }
    int64_t BytesRead = 0;
};

TEST(XMLDocumentText, ReadingStopsAtANulThatEndsTheText)
{
    // A deflate bomb of zeros costs one read, not its whole size.
    const std::string Zeros = "<t>a</t>" + std::string(size_t(64) << 20, '\0');
    TCountingStream Bomb(Zeros);
    EXPECT_EQ(std::string(ReadXMLText(Bomb).Data(), 8), "<t>a</t>");
    EXPECT_LT(Bomb.BytesRead, int64_t(Zeros.size()));

    // In UTF-16 half the bytes are NUL: only a NUL character ends the text.
    const std::string Wide = Utf16WithBom("<t>" + std::string(100000, 'a') + "</t>", false);
    TCountingStream Utf16(Wide);
    EXPECT_EQ(ReadXMLText(Utf16).Size(), 100007u);
    EXPECT_EQ(Utf16.BytesRead, int64_t(Wide.size()));
}

TEST(XMLDocumentText, TextThatIsUtf8AlreadyKeepsItsBlock)
{
    const bool AnsiIsUtf8 = platform::AnsiCodePage() == platform::cpUtf8;
    const struct {
        const char* Name;
        std::string Text, Decoded; // Decoded empty: not checked
        bool KeepsBlock;
    } Cases[] = {
        {"ASCII after a mark", "\xEF\xBB\xBF<t>a</t>", "<t>a</t>", true},
        {"ASCII without a mark", "<t>a</t>", "<t>a</t>", true},
        {"Cyrillic after a mark", "\xEF\xBB\xBF<t>\xD0\x96</t>", "<t>\xD0\x96</t>", true},
        // Converted from the ANSI code page, where that is not UTF-8.
        {"Cyrillic without a mark", "<t>\xD0\x96</t>", AnsiIsUtf8 ? "<t>\xD0\x96</t>" : "", AnsiIsUtf8},
        {"malformed after a mark", "\xEF\xBB\xBF<t>\xD0</t>", "<t>\xEF\xBF\xBD</t>", false},
    };
    for (const auto& Case : Cases) {
        TXMLBuffer Raw(Case.Text.size());
        std::memcpy(Raw.Data(), Case.Text.data(), Case.Text.size());
        Raw.SetSize(Case.Text.size());
        const char* Block = Raw.Data();
        const TXMLBuffer Decoded = DecodeXMLText(std::move(Raw));
        EXPECT_EQ(Decoded.Data() == Block, Case.KeepsBlock) << Case.Name;
        if (!Case.Decoded.empty()) {
            EXPECT_EQ(std::string(Decoded.Data(), Decoded.Size()), Case.Decoded) << Case.Name;
        }
    }
}

// Gives Fill bytes without end and claims no size, as a device may.
class TEndlessStream : public TStream {
public:
    int64_t Read(void* Buffer, int64_t Count) override
    {
        std::memset(Buffer, 'x', static_cast<size_t>(Count));
        Given += Count;
        return Count;
    }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Given = 0;
};

TEST(XMLDocumentStream, TextIsReadNoFurtherThanTheLimit)
{
    TEndlessStream Endless;
    EXPECT_THROW(SetXMLTextFromStream(NewXMLDocument(), Endless), EReadError);
    EXPECT_GT(Endless.Given, static_cast<int64_t>(Limits::XMLTextBytes));
    EXPECT_LE(Endless.Given, static_cast<int64_t>(Limits::XMLTextBytes) + 1);

    // A file is refused by its size, at a lower limit; a small one is taken.
    TTempDir Dir;
    const std::u16string Above = Dir.Write(u"above.fb2", std::string("<t/>"));
    std::filesystem::resize_file(std::filesystem::path(Above), Limits::XMLFileBytes + 1);
    EXPECT_THROW(OpenXMLDocument(Above), EReadError);
    {
        TFileStream File(Above, fsShareDenyWrite);
        EXPECT_THROW(RefuseOversizedDocument(File), EReadError);
    }
    std::filesystem::resize_file(std::filesystem::path(Above), 4);
    EXPECT_NO_THROW(OpenXMLDocument(Above));
}

// Claims far more than it holds, as a damaged archive entry may.
class TLyingStream : public TPointerReadOnlyStream {
public:
    explicit TLyingStream(const std::string& Bytes)
        : TPointerReadOnlyStream(Bytes.data(), static_cast<intptr_t>(Bytes.size()))
    {
    }
    int64_t GetSize() override { return int64_t(1) << 40; }
};

// Holds more than it claims.
class TModestStream : public TPointerReadOnlyStream {
public:
    explicit TModestStream(const std::string& Bytes)
        : TPointerReadOnlyStream(Bytes.data(), static_cast<intptr_t>(Bytes.size()))
    {
    }
    int64_t GetSize() override { return 3; }
};

TEST(XMLDocumentStream, ReadsWhatTheStreamGivesNotWhatItClaims)
{
    const std::string Text(10000, 'x');
    TLyingStream Lying(Text);
    const TXMLBuffer Claimed = ReadStreamToEnd(Lying);
    EXPECT_EQ(Claimed.Size(), Text.size());
    EXPECT_LE(Claimed.Capacity(), size_t(64) << 20);

    TModestStream Modest(Text);
    EXPECT_EQ(ReadStreamToEnd(Modest).Size(), Text.size());

    // From the position on.
    TPointerReadOnlyStream Stream(Text.data(), static_cast<intptr_t>(Text.size()));
    Stream.SetPosition(9000);
    EXPECT_EQ(ReadStreamToEnd(Stream).Size(), 1000u);
}

TEST(XMLDocumentLoad, LoadFromStreamRewindsAndReplacesTheContent)
{
    const std::string First = "<first/>", Second = "<second/>";
    IXMLDocument Document = DocumentFromText(First);
    TPointerReadOnlyStream Stream(Second.data(), static_cast<intptr_t>(Second.size()));
    Stream.Seek(0, soEnd);
    Document->LoadFromStream(Stream);
    EXPECT_TRUE(Document->Active());
    EXPECT_EQ(Document->DocumentElement().NodeName(), u"second");
}

TEST(XMLDocumentLoad, FileBytesAreDecodedByMarkOrDeclaration)
{
    const std::string Content = "<t>" + Kniga + "</t>";
    const struct {
        const char* Name;
        std::string Bytes;
    } Cases[] = {
        {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + Content},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Content},
        {"UTF-16LE with mark", Utf16WithBom(Content, false)},
        {"UTF-16BE with mark", Utf16WithBom(Content, true)},
        {"UTF-16LE without mark", Utf16WithBom("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + Content, false).substr(2)},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        EXPECT_EQ(RootText(DocumentFromFileBytes(Case.Bytes)), W(Kniga));
    }
}

TEST(XMLDocumentLoad, OpenXMLDocumentReadsTheFile)
{
    TTempDir Dir;
    const std::u16string Path = Dir.Write(u"book.fb2", Utf16WithBom("<t a='1'>x</t>", false));
    IXMLDocument Document = OpenXMLDocument(Path);
    EXPECT_TRUE(Document->Active());
    EXPECT_EQ(Document->DocumentElement().Attribute(u"a"), u"1");
    EXPECT_THROW(OpenXMLDocument(Dir.Path(u"missing.fb2")), EFOpenError);
    EXPECT_THROW(OpenXMLDocument(Dir.Write(u"empty.fb2", std::string())), EDOMParseError);
}

struct TWellFormedCase {
    const char* Text;
    bool Parses;
};

TEST(XMLDocumentWellFormed, RefusesWhatANamespaceAwareParserRefuses)
{
    const TWellFormedCase Cases[] = {
        {"<t>&amp;&lt;&gt;&quot;&apos;&#65;&#x42;</t>", true},
        {"<t>&nbsp;</t>", false},
        {"<t a='&nbsp;'/>", false},
        {"<t>&#0;</t>", false},
        {"<t>&#xD800;</t>", false},
        {"<t>&#1114112;</t>", false},
        {"<t>&#x;</t>", false},
        {"<t>a & b</t>", false},
        {"<t>&amp</t>", false},
        {"<t><![CDATA[&nbsp;]]></t>", true},
        {"<t><!-- &nbsp; --></t>", true},
        {"<!DOCTYPE t [<!ENTITY v \"1.0\">]><t>&v;</t>", true},
        {"<!DOCTYPE t [<!ENTITY % p \"1.0\">]><t>&p;</t>", false},
        {"<p:t/>", false},
        {"<p:t xmlns:p='urn:p'/>", true},
        {"<t xmlns:p='urn:p'/><!-- after -->", true},
        {"<t><p:u xmlns:p='urn:p'/><p:u/></t>", false},
        {"<t p:a='1'/>", false},
        {"<t xml:lang='en' xmlns:x='urn:x' x:a='1'/>", true},
        {"<t xmlns:p=''/>", false},
        {"<t a='1' a='2'/>", false},
        {"<t a='1' b='2' c='3' d='4' e='5' f='6' g='7' h='8' i='9' a='0'/>", false},
        {"<t/><u/>", false},
        {"<!-- only a comment -->", false},
        {"<t/><!DOCTYPE t>", false},
        {"<t>", false},
        {"<t></u>", false},
        {"<a:b:c xmlns:a='urn:a'/>", false},
    };
    for (const TWellFormedCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        IXMLDocument Document = DocumentFromText(Case.Text);
        if (Case.Parses)
            EXPECT_NO_THROW(Document->Activate());
        else
            EXPECT_THROW(Document->Activate(), EDOMParseError);
    }
}

TEST(XMLDocumentWellFormed, ReferencesExpandInTextAndAttributesOnly)
{
    IXMLDocument Document =
        DocumentFromText("<!DOCTYPE t [<!ENTITY v \"1.0\">]><t a='x&amp;&#x20AC;'>&lt;&v;&gt;</t>");
    IXMLNode Root = Document->DocumentElement();
    EXPECT_EQ(Root.Attribute(u"a"), u"x&\u20AC");
    // A declared entity is accepted but not expanded: no DTD is processed.
    EXPECT_EQ(Root.Text(), u"<&v;>");
    EXPECT_EQ(RootText(DocumentFromText("<t><![CDATA[&amp;]]></t>")), u"&amp;");
    // A character reference is not normalised away as a literal line break is.
    EXPECT_EQ(DocumentFromText("<t a='1&#10;2\n3'/>")->DocumentElement().Attribute(u"a"), u"1\n2 3");
}

TEST(XMLDocumentNodes, TopLevelNodesInDocumentOrderWithTheirNames)
{
    IXMLDocument Document = DocumentFromText("<?xml version=\"1.0\"?><?xml-stylesheet href='s.css'?><!-- c -->"
                                             "<!DOCTYPE FictionBook SYSTEM \"fb.dtd\"><FictionBook/>");
    const IXMLNodeList Nodes = Document->ChildNodes();
    ASSERT_EQ(Nodes.Count(), 5);
    const std::u16string Names[] = {u"xml", u"xml-stylesheet", u"#comment", u"FictionBook", u"FictionBook"};
    const TNodeType Types[] = {ntProcessingInstr, ntProcessingInstr, ntComment, ntDocType, ntElement};
    for (int I = 0; I < 5; ++I) {
        EXPECT_EQ(Nodes[I].NodeName(), Names[I]) << I;
        EXPECT_EQ(Nodes[I].NodeType(), Types[I]) << I;
    }
    EXPECT_THROW(Nodes.Get(5), EListError);
    EXPECT_THROW(Nodes.Get(-1), EListError);
}

TEST(XMLDocumentNodes, WhitespaceOnlyTextIsDropped)
{
    IXMLNode Root = DocumentFromText("<t>\n  <a/>\n  <b> x </b>\n</t>")->DocumentElement();
    const IXMLNodeList Children = Root.ChildNodes();
    ASSERT_EQ(Children.Count(), 2);
    EXPECT_EQ(Children[1].Text(), u" x ");
}

TEST(XMLDocumentNodes, TextOfAttributesAndElements)
{
    IXMLNode Root = DocumentFromText("<t a='v'><text>x</text><cdata><![CDATA[<y>]]></cdata><empty/>"
                                     "<mixed>a<b/></mixed><commented><!--c--></commented><two>a<![CDATA[b]]></two></t>")
                        ->DocumentElement();
    const IXMLNodeList Children = Root.ChildNodes();
    EXPECT_EQ(Root.AttributeNodes()[0].Text(), u"v");
    EXPECT_EQ(Children.FindNode(u"text").Text(), u"x");
    EXPECT_EQ(Children.FindNode(u"cdata").Text(), u"<y>");
    IXMLNode Empty = Children.FindNode(u"empty");
    EXPECT_EQ(Empty.Text(), u"");
    // Reading the text of an empty element gives it an empty text child.
    ASSERT_EQ(Empty.ChildNodes().Count(), 1);
    EXPECT_EQ(Empty.ChildNodes()[0].NodeType(), ntText);
    for (const char16_t* Name : {u"mixed", u"commented", u"two", u"t"}) {
        SCOPED_TRACE(Utf8(Name));
        IXMLNode Node = Name == std::u16string(u"t") ? Root : Children.FindNode(Name);
        EXPECT_THROW(Node.Text(), EXMLDocError);
    }
}

TEST(XMLDocumentNodes, NamespaceUrisComeFromTheDeclarationsInScope)
{
    IXMLNode Root = DocumentFromText("<r xmlns='urn:default' xmlns:l='urn:link'><a l:href='#x' plain='1'>"
                                     "<b xmlns='urn:inner'/><l:c/><d xmlns:l='urn:other'><l:e/></d></a></r>")
                        ->DocumentElement();
    IXMLNode A = Root.ChildNodes()[0];
    const IXMLNodeList Inside = A.ChildNodes();
    EXPECT_EQ(Root.NamespaceURI(), u"urn:default");
    EXPECT_EQ(A.NamespaceURI(), u"urn:default");
    EXPECT_EQ(Inside[0].NamespaceURI(), u"urn:inner");
    EXPECT_EQ(Inside[1].NamespaceURI(), u"urn:link");
    EXPECT_EQ(Inside[2].ChildNodes()[0].NamespaceURI(), u"urn:other");
    const IXMLNodeList Attributes = A.AttributeNodes();
    EXPECT_EQ(Attributes[0].NamespaceURI(), u"urn:link");
    EXPECT_EQ(Attributes[0].Prefix(), u"l");
    EXPECT_EQ(Attributes[0].LocalName(), u"href");
    EXPECT_EQ(Attributes[1].NamespaceURI(), u"");
    EXPECT_EQ(Root.AttributeNodes()[0].NamespaceURI(), u"http://www.w3.org/2000/xmlns/");

    // A declaration made after a lookup counts in the next.
    IXMLNode E = Inside[2].ChildNodes()[0];
    E.AttributeNodes().GetOrCreate(u"xmlns:l");
    EXPECT_EQ(E.NamespaceURI(), u"");
}

TEST(XMLDocumentNodes, EachOfManyPrefixesOnOneElementResolvesToItsOwnUri)
{
    std::string Text = "<r";
    for (int I = 0; I < 300; ++I)
        Text += " xmlns:p" + std::to_string(I) + "='urn:" + std::to_string(I) + "'";
    Text += ">";
    for (int I = 299; I >= 0; --I)
        Text += "<p" + std::to_string(I) + ":a/>";
    const IXMLNodeList Children = DocumentFromText(Text + "</r>")->DocumentElement().ChildNodes();
    for (int I = 0; I < 300; ++I) {
        const std::string Uri = "urn:" + std::to_string(I);
        ASSERT_EQ(Children[299 - I].NamespaceURI(), std::u16string(Uri.begin(), Uri.end()));
    }
}

TEST(XMLDocumentNodes, FindNodeMatchesQualifiedOrLocalNameWithinTheOwnersNamespace)
{
    IXMLNode Root = DocumentFromText("<r xmlns='urn:Book'><x:a xmlns:x='URN:book'/><b xmlns='urn:other'/>"
                                     "<c/><c id='second'/></r>")
                        ->DocumentElement();
    const IXMLNodeList Children = Root.ChildNodes();
    // Another prefix for the same URI (ASCII case ignored) qualifies.
    EXPECT_TRUE(Children.FindNode(u"a"));
    EXPECT_TRUE(Children.FindNode(u"x:a"));
    // Another namespace does not, even by its name.
    EXPECT_FALSE(Children.FindNode(u"b"));
    EXPECT_FALSE(Children.FindNode(u"C"));
    EXPECT_EQ(Children.FindNode(u"c").Attribute(u"id"), u"");

    IXMLNode Plain = DocumentFromText("<r><b xmlns='urn:other'/></r>")->DocumentElement();
    // An owner without a namespace sets no condition.
    EXPECT_TRUE(Plain.ChildNodes().FindNode(u"b"));
}

TEST(XMLDocumentNodes, ANodeKeepsItsDocumentAlive)
{
    IXMLNode Child;
    std::weak_ptr<TXMLDocument> Watch;
    {
        IXMLDocument Document = DocumentFromText("<r><c>text</c></r>");
        Watch = Document;
        Child = Document->DocumentElement().ChildNodes()[0];
    }
    EXPECT_FALSE(Watch.expired());
    EXPECT_EQ(Child.Text(), u"text");
    Child = IXMLNode();
    EXPECT_TRUE(Watch.expired());
}

TEST(XMLDocumentNodes, NewDocumentsHaveTheDefaultOptions)
{
    IXMLDocument Document = NewXMLDocument();
    EXPECT_EQ(Document->Options(), doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl);
    EXPECT_FALSE(Document->Active());
    Document->Activate();
    EXPECT_EQ(Document->ChildNodes().Count(), 0);
}

}

namespace {

void CountBuilt(const IXMLNodeList& Nodes, TNodeCount& Built)
{
    for (int Index = 0; Index < Nodes.Count(); ++Index) {
        const IXMLNode Node = Nodes.Get(Index);
        ++Built.Nodes;
        Built.Attributes += static_cast<size_t>(Node.AttributeNodes().Count());
        CountBuilt(Node.ChildNodes(), Built);
    }
}

}

// The bound is what keeps a document of millions of tiny nodes from being
// built: it must never fall below what the parser makes of a text.
TEST(XMLNodeBudget, CountIsNeverBelowWhatIsBuilt)
{
    const std::string Texts[] = {
        "<a b='1'><c/>text</a>",
        "<?xml version='1.0' encoding='utf-8'?><!DOCTYPE a><a>x &gt; y = z<b>\n \t\n</b>tail<!-- c --></a>",
        "<a b=\"x>y\" c='=' d='<'><![CDATA[<z>]]><?pi a=b?>  <e/>\n</a>",
        "  <a>></a>  ",
    };
    for (const std::string& Text : Texts) {
        TNodeCount Built{1, 0};
        CountBuilt(DocumentFromText(Text)->ChildNodes(), Built);
        const TNodeCount Bound = CountNodesAtMost(Text.data(), Text.size());
        EXPECT_GE(Bound.Nodes, Built.Nodes) << Text;
        EXPECT_GE(Bound.Attributes, Built.Attributes) << Text;
    }
    const TNodeCount Simple = CountNodesAtMost(Texts[0].data(), Texts[0].size());
    EXPECT_EQ(Simple.Nodes, 4u);
    EXPECT_EQ(Simple.Attributes, 1u);
}

TEST(XMLNodeBudget, TextAndTreeTogetherStayWithinTheBudget)
{
    // A node takes 64 bytes and an attribute 40, counted as on a 64-bit build.
    constexpr size_t Budget = size_t{80} << 20, Some = size_t{16} << 20, MaxNodes = (Budget - Some) / 64;
    const struct {
        TNodeCount Count;
        size_t TextBytes;
        bool Within;
    } Cases[] = {
        {{Budget / 64, 0}, 0, true},
        {{Budget / 64 + 1, 0}, 0, false},
        {{MaxNodes, 0}, Some, true},
        {{MaxNodes + 1, 0}, Some, false},
        {{MaxNodes / 2, MaxNodes * 32 / 40}, Some, true},
        {{MaxNodes / 2, MaxNodes * 32 / 40 + 1}, Some, false},
        {{1, 0}, Budget, false},
        {{1, SIZE_MAX}, 0, false},
        {{SIZE_MAX, 0}, 0, false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(WithinNodeBudget(Case.Count, Case.TextBytes), Case.Within)
            << Case.Count.Nodes << " nodes, " << Case.Count.Attributes << " attributes, " << Case.TextBytes;

    // Each "<a/>" is 4 bytes of text and 64 of tree.
    std::string Text = "<r>";
    for (size_t I = 0; I < Budget / 68; ++I)
        Text += "<a/>";
    Text += "</r>";
    EXPECT_EQ(FailureOf<EDOMParseError>([&] { DocumentFromText(Text)->Activate(); }),
              "Document holds more nodes than it may");
    EXPECT_EQ(FailureOf<EDOMParseError>([&] { DocumentFromFileBytes(Text); }), "Document holds more nodes than it may");
    Text.erase(3, 4 * 1000);
    EXPECT_NO_THROW(DocumentFromText(Text)->Activate());
}
