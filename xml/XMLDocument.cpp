#include "xml/XMLDocument.h"

#include <utility>

#include "core/FileStream.h"
#include "core/Limits.h"
#include "xml/XMLNodeBudget.h"
#include "xml/XMLStreamedElision.h"
#include "xml/XMLText.h"
#include "xml/XMLWellFormed.h"

namespace {

// Escapes are left to CompleteParsedDocument, which refuses undeclared
// entities instead of keeping them as text. Whitespace-only text is dropped
// (no parse_ws_pcdata).
constexpr unsigned ParseFlags = pugi::parse_cdata | pugi::parse_wconv_attribute | pugi::parse_eol |
                                pugi::parse_doctype | pugi::parse_pi | pugi::parse_comments |
                                pugi::parse_declaration;
// pugixml expands the predefined entities and character references itself
// and keeps any other reference as written.
constexpr unsigned LenientFlags = ParseFlags | pugi::parse_escapes;

}

void RefuseOversizedDocument(TStream& Stream)
{
    if (Stream.Size() - Stream.Position() > Limits::XMLFileBytes)
        throw EReadError(SReadError);
}

void TXMLDocument::Clear()
{
    FNamespaces.reset();
    FDocument.reset();
    FElidedRuns = TXMLElidedRuns();
    FPendingText = TXMLBuffer();
    FRefusedText = TXMLBuffer();
    FParseFailure.clear();
    FActive = false;
}

namespace {

// Whether a skeleton's tree stays within a parse's budget beside the text it
// was made from: its elided runs count as their placeholders do, but for
// their '='.
bool SkeletonWithinBudget(const TRunElision& Elision, size_t TextBytes)
{
    TNodeCount Count = CountNodesAtMost(Elision.Skeleton.Data(), Elision.Skeleton.Size());
    Count.Attributes += Elision.Equals;
    return WithinNodeBudget(Count, TextBytes + Elision.Skeleton.Size());
}

// The room a skeleton may take beside a text of TextBytes.
size_t SkeletonRoom(size_t TextBytes)
{
    return TextBytes < Limits::XMLParseBytes ? Limits::XMLParseBytes - TextBytes : 0;
}

}

void TXMLDocument::Parse(TXMLBuffer Text, pugi::xml_encoding Encoding, bool Elide)
{
    Clear();
    const size_t Size = Text.Size();
    // The skeleton is held beside the text: the two and the tree stay within
    // what a parse may hold, or the text is parsed whole, which refuses or
    // accepts it as the skeleton would have.
    TRunElision Elision;
    if (Elide && (FOptions & doLenient) == 0 && FElidedRunBytes != 0 && Size >= FElidedRunBytes &&
        ParsedInPlace(Text.Data(), Size, Encoding) &&
        ElideLongRuns(Text.Data(), Size, FElidedRunBytes, SkeletonRoom(Size), Elision) &&
        SkeletonWithinBudget(Elision, Size)) {
        FElidedRuns = TXMLElidedRuns(std::move(Text), std::move(Elision.Runs), Elision.Skeleton.Data(),
                                     Elision.Skeleton.Size());
        ParseBlock(std::move(Elision.Skeleton), Encoding);
        return;
    }
    if (!WithinNodeBudget(CountNodesAtMost(Text.Data(), Size), Size)) {
        // Refused before the parser took it: the text is still whole.
        FRefusedText = std::move(Text);
        throw EDOMParseError("Document holds more nodes than it may");
    }
    ParseBlock(std::move(Text), Encoding);
}

void TXMLDocument::ParseBlock(TXMLBuffer Parsed, pugi::xml_encoding Encoding)
{
    const bool Lenient = (FOptions & doLenient) != 0;
    const size_t ParsedSize = Parsed.Size();
    // The parser owns the block from here on, also when it fails, and parses
    // it in place unless it has to convert its encoding.
    const pugi::xml_parse_result Result = FDocument.load_buffer_inplace_own(
        ParsedSize ? Parsed.Release() : nullptr, ParsedSize, Lenient ? LenientFlags : ParseFlags, Encoding);
    if (!Result) {
        const size_t Offset = FElidedRuns.TextOffset(static_cast<size_t>(Result.offset));
        Clear();
        throw EDOMParseError(std::string(Result.description()) + " at offset " + std::to_string(Offset));
    }
    try {
        if (!Lenient)
            CompleteParsedDocument(FDocument);
    } catch (...) {
        Clear();
        throw;
    }
    FActive = true;
}

void TXMLDocument::LoadFromFile(const std::u16string& FileName)
{
    TFileStream File(FileName, fsShareDenyWrite);
    RefuseOversizedDocument(File);
    LoadFromStream(File);
}

void TXMLDocument::LoadFromStream(TStream& Stream)
{
    Clear();
    Stream.SetPosition(0);
    Parse(ReadStreamToEnd(Stream), pugi::encoding_auto);
}

void TXMLDocument::LoadFromLastingStream(TStream& Stream)
{
    Clear();
    Stream.SetPosition(0);
    if ((FOptions & doLenient) == 0 && FElidedRunBytes != 0) {
        TRunElision Elision;
        size_t TextBytes;
        switch (ElideLongRunsFromStream(Stream, FElidedRunBytes, Elision, TextBytes)) {
        case TStreamedElision::Whole:
            Parse(std::move(Elision.Skeleton), pugi::encoding_auto, false);
            return;
        case TStreamedElision::Elided:
            if (Elision.Skeleton.Size() <= SkeletonRoom(TextBytes) && SkeletonWithinBudget(Elision, TextBytes)) {
                FElidedRuns = TXMLElidedRuns(Stream, std::move(Elision.Runs), Elision.Skeleton.Data(),
                                             Elision.Skeleton.Size());
                ParseBlock(std::move(Elision.Skeleton), pugi::encoding_auto);
                return;
            }
            break;
        case TStreamedElision::ReadAgain:
            break;
        }
        // The text is read whole after all, and elided, or not, as it would
        // have been.
        Stream.SetPosition(0);
    }
    Parse(ReadStreamToEnd(Stream), pugi::encoding_auto);
}

void TXMLDocument::SetXMLFromStream(TStream& Stream)
{
    TXMLBuffer Text = ReadXMLText(Stream);
    Clear();
    FPendingText = std::move(Text);
}

void TXMLDocument::Activate()
{
    if (FActive)
        return;
    // Text that failed to parse stays pending, and fails again.
    if (!FParseFailure.empty())
        throw EDOMParseError(FParseFailure);
    if (FPendingText.Empty()) {
        // Nothing to parse: the document stays empty.
        FPendingText = TXMLBuffer();
        FActive = true;
        return;
    }
    // The text is UTF-8 already; an encoding its declaration names is ignored.
    try {
        Parse(std::move(FPendingText), pugi::encoding_utf8);
    } catch (const EDOMParseError& Error) {
        FParseFailure = Error.Message();
        throw;
    }
}

IXMLNodeList TXMLDocument::ChildNodes()
{
    Activate();
    return IXMLNodeList(shared_from_this(), IXMLNodeList::lkTopLevel, FDocument);
}

IXMLNode TXMLDocument::DocumentElement()
{
    Activate();
    pugi::xml_node Root = FDocument.document_element();
    if (!Root)
        return IXMLNode();
    return IXMLNode(shared_from_this(), Root);
}

const TXMLNamespaceIndex& TXMLDocument::Namespaces()
{
    if (!FNamespaces)
        FNamespaces = std::make_unique<TXMLNamespaceIndex>(FDocument);
    return *FNamespaces;
}

IXMLDocument NewXMLDocument()
{
    return std::make_shared<TXMLDocument>();
}

IXMLDocument OpenXMLDocument(const std::u16string& FileName)
{
    IXMLDocument Document = NewXMLDocument();
    Document->LoadFromFile(FileName);
    return Document;
}

void SetXMLTextFromStream(const IXMLDocument& Document, TStream& Stream)
{
    Document->SetXMLFromStream(Stream);
}
