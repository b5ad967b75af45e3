#pragma once

#include <memory>
#include <string>
#include <utility>

#include <pugixml.hpp>

#include "core/Exceptions.h"
#include "core/Stream.h"
#include "xml/XMLBuffer.h"
#include "xml/XMLNamespaceIndex.h"
#include "xml/XMLNode.h"
#include "xml/XMLRunElision.h"

BRISLEAF_EXCEPTION(EXMLDocError, Exception);
// The text is not a well-formed document; the message says why.
BRISLEAF_EXCEPTION(EDOMParseError, EXMLDocError);

enum TXMLDocOption : unsigned {
    doNodeAutoCreate = 1u << 0,
    doAttrNull = 1u << 1,
    doAutoPrefix = 1u << 2,
    doNamespaceDecl = 1u << 3,
    // Parses as the pages of a book need: references to entities no DTD
    // declares (an XHTML &nbsp;) stay as written, and names, prefixes and
    // top-level nodes are not checked, so that a page a browser shows is read.
    doLenient = 1u << 4,
};
using TXMLDocOptions = unsigned;
constexpr TXMLDocOptions DefaultXMLDocOptions = doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl;

// The XML document service. A document is shared through IXMLDocument
// handles, and every node taken from it holds one too.
//
// No DTD is ever read and no entity expanded beyond the predefined ones and
// character references; a reference to an undeclared entity makes the text
// not well-formed. Whitespace-only text is dropped.
class TXMLDocument : public std::enable_shared_from_this<TXMLDocument> {
public:
    TXMLDocument() = default;
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    TXMLDocOptions Options() const { return FOptions; }
    void SetOptions(TXMLDocOptions Options) { FOptions = Options; }

    // Reads and parses a file at once; the encoding comes from its byte-order
    // mark or XML declaration. A file above Limits::XMLFileBytes is refused unread.
    void LoadFromFile(const std::u16string& FileName);
    // Drops any previous content, rewinds Stream and parses its bytes as a file.
    void LoadFromStream(TStream& Stream);
    // As LoadFromStream, but long runs of element content (see
    // XMLRunElision.h) are not held: their values are read from Stream again
    // when asked for, so Stream must outlive the document's use.
    void LoadFromLastingStream(TStream& Stream);
    // Drops any previous content and takes every byte of Stream from its
    // position to its end as the document's text: UTF-8, UTF-16LE or UTF-16BE
    // by byte-order mark, else the ANSI code page, up to the first NUL. The
    // text is parsed on activation; its XML declaration's encoding is ignored.
    void SetXMLFromStream(TStream& Stream);

    // Parses pending text; nothing once parsed or with nothing pending.
    void Activate();
    bool Active() const { return FActive; }

    // The top-level nodes in document order (activates the document).
    IXMLNodeList ChildNodes();
    // The root element, or none.
    IXMLNode DocumentElement();

    // The parsed tree's namespace declarations, indexed on first use; a
    // change that may add one forgets the index.
    const TXMLNamespaceIndex& Namespaces();
    void ForgetNamespaces() { FNamespaces.reset(); }

    // Runs of element content this long or longer are kept out of the parse
    // of a strict document and read from its text when asked for (see
    // XMLRunElision.h); 0 parses every byte.
    void SetElidedRunBytes(size_t Bytes) { FElidedRunBytes = Bytes; }
    // The value of a parsed node, as the parser would give it had it read
    // every byte; valid while the document lives.
    std::string_view NodeValue(pugi::xml_node Node) { return FElidedRuns.Value(Node.value()); }

    // After a text was refused for holding more nodes than it may, that text
    // as it was given (a stream's bytes, or the text already decoded), for a
    // reader that needs no tree; otherwise, and once taken, empty.
    TXMLBuffer TakeRefusedText() { return std::move(FRefusedText); }

private:
    void Clear();
    // Parses a text, whole or as the skeleton of its long runs (unless Elide
    // is false: the text has none to elide).
    void Parse(TXMLBuffer Text, pugi::xml_encoding Encoding, bool Elide = true);
    // Hands a text or skeleton to the parser and finishes the document.
    void ParseBlock(TXMLBuffer Parsed, pugi::xml_encoding Encoding);

    TXMLDocOptions FOptions = DefaultXMLDocOptions;
    pugi::xml_document FDocument;
    TXMLBuffer FPendingText;
    TXMLBuffer FRefusedText;
    std::string FParseFailure;
    bool FActive = false;
    size_t FElidedRunBytes = DefaultElidedRunBytes;
    TXMLElidedRuns FElidedRuns;
    std::unique_ptr<TXMLNamespaceIndex> FNamespaces;
};

using IXMLDocument = std::shared_ptr<TXMLDocument>;

// A document's text is held whole while its tree is built: a stream with
// more than Limits::XMLFileBytes left, a sparse file or a device among them,
// is refused before any of it is read (EReadError).
void RefuseOversizedDocument(TStream& Stream);

// A new empty document with the default options.
IXMLDocument NewXMLDocument();
// A document read and parsed from a file at once; raises when it cannot.
IXMLDocument OpenXMLDocument(const std::u16string& FileName);
// Sets a document's text from every byte of Stream from its position to its
// end, decoded by byte-order mark, else with the ANSI code page; parsed on
// first use.
void SetXMLTextFromStream(const IXMLDocument& Document, TStream& Stream);
